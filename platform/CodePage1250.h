#pragma once
// Windows code page 1250 (Central European), the encoding of names stored in
// 3D Studio model files.
#include <string>
#include <string_view>

namespace boxora {

char16_t Cp1250ToUnicode(unsigned char byte);
// Converts code page 1250 bytes to UTF-8 text.
std::string Cp1250ToUtf8(std::string_view bytes);

}  // namespace boxora
