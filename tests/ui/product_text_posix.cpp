#include "tests/ui/product_text.h"

std::string ProductText(const std::string& utf8)
{
    return utf8;
}
