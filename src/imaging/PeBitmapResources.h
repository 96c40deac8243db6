#pragma once
// Bitmap resources (RT_BITMAP) of Windows modules (.dll, .exe files), read from
// the file as data: the module is parsed, never loaded or executed. This keeps
// worlds working that take textures from another program's library.
//
// The reader follows the PE headers to the resource directory (data directory 2),
// walks its three levels (type, name or identifier, language: the first language
// found), maps the resource's address through the section table and decodes the
// packed DIB stored there. Every table, offset and count is checked against the
// file; damage raises EInvalidGraphic, a missing resource EResNotFound.
#include <cstdint>
#include <span>
#include <string>

#include "imaging/Bitmap.h"

namespace velorina {

// The bitmap resource `resourceName` of a module held in memory: by integer
// identifier when the name reads as a whole number (or "#number"), otherwise by
// name, compared without regard to ASCII letter case.
Bitmap readModuleBitmap(std::span<const std::uint8_t> module, const std::string& resourceName,
                        const std::string& source);

// The same for a module file. A name without an extension that does not exist as
// given is tried with ".dll", as Windows does.
Bitmap LoadLibraryBitmap(const std::string& libraryName, const std::string& resourceName);

}  // namespace velorina
