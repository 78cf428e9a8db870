#pragma once
// Where the libraries a type library imports (stdole2.tlb and the like) are
// looked for: the folder of the importing file first, then the system folder
// of the library's width. On Linux also the Wine prefix's system folders
// (WINEPREFIX, else ~/.wine) and the Windows libraries a Wine installation
// ships, which hold the standard OLE library.

#include <string>
#include <vector>

namespace korvane::platform {

// The folders in the order they are searched, each named once; fileFolder is
// left out when empty. Folders that do not exist may be among them.
std::vector<std::string> TypeLibImportFolders(const std::string& fileFolder, bool library64Bit);

}  // namespace korvane::platform
