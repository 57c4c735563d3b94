// Writes a package with members named exactly as given, for the tests of hostile discs:
//   hostile_rar OUT.rar NAME CONTENT [NAME CONTENT ...]
// Names are stored as they stand (backslashes, "..", device names), which mkdisc would refuse.
#include "Rar4Writer.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 4 || argc % 2) {
        std::fprintf(stderr, "usage: hostile_rar OUT.rar NAME CONTENT [NAME CONTENT ...]\n");
        return 2;
    }
    Rar4Writer w;
    if (!w.Open(argv[1])) return 1;
    for (int i = 2; i + 1 < argc; i += 2)
        w.AddBytes(argv[i], argv[i + 1], 0x21);
    if (!w.Close()) {
        std::fprintf(stderr, "hostile_rar: %s\n", w.error().c_str());
        return 1;
    }
    return 0;
}
