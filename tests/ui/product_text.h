#pragma once
// The product's texts are GBK in the Windows build and UTF-8 natively, while
// the tests' own literals are UTF-8 in both (GoogleTest cannot be built for
// GBK). ProductText turns an expected UTF-8 text into the product's bytes.

#include <string>

std::string ProductText(const std::string& utf8);
