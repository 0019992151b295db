// From a file's path below the product folder to the name its package entry carries.
#pragma once

#include <string>
#include <vector>

// Joins `components` (UTF-8, as the file system gave them) with "\" into the entry name in
// `codePage`. Returns false with the reason in `why` when the name cannot travel: a character that
// Windows file names cannot hold, a character the code page cannot hold, or a name that the
// installer refuses (CheckEntryName). Plain ASCII components are taken as they are.
bool MakeEntryName(const std::vector<std::string>& components, unsigned codePage, std::string& name,
                   std::string& why);

// A key under which two relative paths (UTF-8) that Windows would take for the same file are
// equal: ASCII letters folded. Windows folds other letters too; those collide rarely in product
// folders and are left to the vendor. Folding the UTF-8 form never touches a byte of a multibyte
// character, as folding the code-page bytes of a double-byte name would.
std::string FoldEntryName(const std::string& utf8Name);
