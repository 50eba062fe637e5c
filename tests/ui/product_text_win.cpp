#include "tests/ui/product_text.h"

#include <windows.h>

std::string ProductText(const std::string& utf8)
{
    // Code page 936 by number, not CP_ACP: the result must not depend on the
    // locale the tests run in.
    int wideLength = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                                         nullptr, 0);
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), wideLength);
    int length = WideCharToMultiByte(936, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string gbk(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(936, 0, wide.data(), wideLength, gbk.data(), length, nullptr, nullptr);
    return gbk;
}
