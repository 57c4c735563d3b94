// Unpacking packages through the extractor library loaded at run time.
#pragma once

#include "engine/ExtractorApi.h"

#include <string>

// unrar.dll beside the running program, by its full path.
std::string ExtractorLibraryPath();
// Loads the library by its full path and looks up the entry points.
void BindExtractor();
// True once every entry point the engine calls was found.
bool ExtractorBound();
// Unpacks a package (name relative to the current folder) into a folder given in the OEM code page.
bool ExtractPackage(const char* package, const char* destinationOem);
// The library's data callback: 1 to go on, 0 to stop.
int BV_EXTRACTOR_CALL OnExtractData(unsigned char* address, int size);
// Forgets the bound library (tests bind several libraries in one process).
void UnbindExtractor();
