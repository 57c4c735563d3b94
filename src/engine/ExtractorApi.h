// The documented interface of the extractor library, declared in our own words: the two records,
// the entry points and the callback, and the error codes. Both the engine (which loads the library)
// and our stand-in library use it.
#pragma once

// 32-bit Windows builds of the library use stdcall for the entry points and the data callback.
#if defined(_WIN32) && defined(__i386__)
#define BV_EXTRACTOR_CALL __attribute__((stdcall))
#else
#define BV_EXTRACTOR_CALL
#endif

namespace extractor {

constexpr int kSuccess = 0;
constexpr int kEndArchive = 10;
constexpr int kNoMemory = 11;
constexpr int kBadData = 12;
constexpr int kBadArchive = 13;
constexpr int kUnknownFormat = 14;
constexpr int kEOpen = 15;
constexpr int kECreate = 16;
constexpr int kEClose = 17;
constexpr int kERead = 18;
constexpr int kEWrite = 19;
constexpr int kSmallBuf = 20;
constexpr int kUnknown = 21;
constexpr int kMissingPassword = 22;

constexpr unsigned int kOpenList = 0;
constexpr unsigned int kOpenExtract = 1;
constexpr int kSkip = 0;
constexpr int kTest = 1;
constexpr int kExtract = 2;

// Member flags reported in HeaderData::Flags.
constexpr unsigned int kFlagSplitBefore = 0x01;
constexpr unsigned int kFlagSplitAfter = 0x02;
constexpr unsigned int kFlagEncrypted = 0x04;
constexpr unsigned int kFlagSolid = 0x10;
constexpr unsigned int kFlagDirectory = 0x20;

struct OpenArchiveData {
    char* ArcName;
    unsigned int OpenMode;
    unsigned int OpenResult;
    char* CmtBuf;
    unsigned int CmtBufSize;
    unsigned int CmtSize;
    unsigned int CmtState;
};

struct HeaderData {
    char ArcName[260];
    char FileName[260];
    unsigned int Flags;
    unsigned int PackSize;
    unsigned int UnpSize;
    unsigned int HostOS;
    unsigned int FileCRC;
    unsigned int FileTime;
    unsigned int UnpVer;
    unsigned int Method;
    unsigned int FileAttr;
    char* CmtBuf;
    unsigned int CmtBufSize;
    unsigned int CmtSize;
    unsigned int CmtState;
};

using ProcessDataProc = int(BV_EXTRACTOR_CALL*)(unsigned char* addr, int size);
using ChangeVolProc = int(BV_EXTRACTOR_CALL*)(char* arcName, int mode);

using OpenArchiveFn = void*(BV_EXTRACTOR_CALL*)(OpenArchiveData* data);
using CloseArchiveFn = int(BV_EXTRACTOR_CALL*)(void* archive);
using ReadHeaderFn = int(BV_EXTRACTOR_CALL*)(void* archive, HeaderData* header);
using ProcessFileFn = int(BV_EXTRACTOR_CALL*)(void* archive, int operation, char* destPath, char* destName);
using SetChangeVolProcFn = void(BV_EXTRACTOR_CALL*)(void* archive, ChangeVolProc proc);
using SetProcessDataProcFn = void(BV_EXTRACTOR_CALL*)(void* archive, ProcessDataProc proc);
using SetPasswordFn = void(BV_EXTRACTOR_CALL*)(void* archive, char* password);

} // namespace extractor
