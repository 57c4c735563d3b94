#include "engine/Rollback.h"

#include "engine/InstallJournal.h"
#include "platform/Os.h"

void RollBack(CInstallJournal& journal) {
    const auto& records = journal.Records();
    for (std::size_t i = records.size(); i-- > 0;) {
        const CInstallJournal::Record& r = records[i];
        switch (r.kind) {
        case CInstallJournal::Record::File:
            os::SetFileAttrs(r.path.c_str(), os::kAttrNormal);
            os::FileDelete(r.path.c_str());
            break;
        case CInstallJournal::Record::Folder:
            // Only once empty: whatever else is in it was not made by the installation.
            os::RemoveDir(r.path.c_str());
            break;
        case CInstallJournal::Record::Replaced:
            if (!SameFileContent(r.path, r.kept)) {
                os::SetFileAttrs(r.path.c_str(), os::kAttrNormal);
                // When the old content cannot be put back, its copy stays where it was kept.
                if (!os::FileCopy(r.kept.c_str(), r.path.c_str(), false) || !SameFileContent(r.path, r.kept))
                    break;
            }
            os::FileDelete(r.kept.c_str());
            break;
        }
    }
    journal.Clear();
}
