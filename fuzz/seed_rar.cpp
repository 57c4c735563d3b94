// Writes RAR 4 seed archives for the fuzzer's corpus.
#include "Rar4Writer.h"

#include <string>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    std::string dir = argv[1];
    Rar4Writer w;
    if (!w.Open(dir + "/seed4.rar")) return 1;
    w.AddFolder("data", 0x21);
    w.AddBytes("data\\a.txt", "Brightvale", 0x21);
    w.AddBytes("b.bin", std::string(300, '\x7F'), 0x21);
    if (!w.Close()) return 1;
    Rar4Writer e;
    return e.Open(dir + "/empty4.rar") && e.Close() ? 0 : 1;
}
