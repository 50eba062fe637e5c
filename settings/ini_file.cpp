#include "settings/ini_file.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Where an entry is, or would go, in a file's text.
struct IniSpot {
    int32_t sectionFound;
    size_t insertAt;          // just past the section's last non-blank line
    int32_t insertNeedsBreak; // that line is the file's last and has no line end
    int32_t keyFound;
    int32_t hasValue;         // the key's line has an '='
    size_t valueStart;        // the value, leading blanks skipped; the name's end without '='
    size_t valueEnd;          // end of the key's line, before its line end
};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

char FoldCase(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool NameEquals(const char* text, size_t length, const char* name)
{
    for (size_t i = 0; i < length; i++) {
        if (name[i] == 0 || FoldCase(text[i]) != FoldCase(name[i]))
            return false;
    }
    return name[length] == 0;
}

IniSpot FindEntry(const char* text, size_t length, const char* section, const char* key)
{
    IniSpot spot = {};
    enum { kBefore, kInside, kAfter } state = kBefore;
    size_t pos = 0;
    // A byte-order mark from an editor is not part of the first line's text.
    if (length >= 3 && std::memcmp(text, "\xEF\xBB\xBF", 3) == 0)
        pos = 3;
    while (pos < length && state != kAfter) {
        const char* newline = static_cast<const char*>(std::memchr(text + pos, '\n', length - pos));
        size_t lineEnd = newline ? static_cast<size_t>(newline - text) : length;
        size_t next = newline ? lineEnd + 1 : length;
        size_t contentEnd = lineEnd;
        if (contentEnd > pos && text[contentEnd - 1] == '\r')
            contentEnd--;
        size_t first = pos;
        while (first < contentEnd && IsBlank(text[first]))
            first++;
        size_t last = contentEnd;
        while (last > first && IsBlank(text[last - 1]))
            last--;

        // A section header runs from '[' to the line's last ']'; a '[' line
        // without one is an ordinary line, as the Windows reader has it.
        size_t close = last;
        if (first < last && text[first] == '[') {
            while (close > first + 1 && text[close - 1] != ']')
                close--;
        }
        if (first < last && text[first] == '[' && close > first + 1) {
            size_t nameStart = first + 1;
            size_t nameEnd = close - 1;
            while (nameStart < nameEnd && IsBlank(text[nameStart]))
                nameStart++;
            while (nameEnd > nameStart && IsBlank(text[nameEnd - 1]))
                nameEnd--;
            if (state == kInside) {
                state = kAfter;
            } else if (NameEquals(text + nameStart, nameEnd - nameStart, section)) {
                state = kInside;
                spot.sectionFound = 1;
                spot.insertAt = next;
                spot.insertNeedsBreak = newline == nullptr;
            }
        } else if (state == kInside && first < last) {
            spot.insertAt = next;
            spot.insertNeedsBreak = newline == nullptr;
            // A line without '=' is a key without a value: it reads as
            // missing, and a write gives it one in place.
            const char* equals = static_cast<const char*>(std::memchr(text + first, '=', last - first));
            size_t nameEnd = equals ? static_cast<size_t>(equals - text) : last;
            while (nameEnd > first && IsBlank(text[nameEnd - 1]))
                nameEnd--;
            if (!spot.keyFound && NameEquals(text + first, nameEnd - first, key)) {
                size_t valueStart = equals ? static_cast<size_t>(equals - text) + 1 : last;
                while (equals && valueStart < contentEnd && IsBlank(text[valueStart]))
                    valueStart++;
                spot.keyFound = 1;
                spot.hasValue = equals != nullptr;
                spot.valueStart = valueStart;
                spot.valueEnd = contentEnd;
            }
        }
        pos = next;
    }
    return spot;
}

int32_t ParseInt(const char* text, const char* end)
{
    int negative = 0;
    if (text < end && (*text == '-' || *text == '+')) {
        negative = *text == '-';
        text++;
    }
    uint32_t value = 0;
    while (text < end && *text >= '0' && *text <= '9') {
        value = value * 10u + static_cast<uint32_t>(*text - '0');
        text++;
    }
    if (negative)
        value = 0u - value;
    return static_cast<int32_t>(value);
}

// CRLF unless the file's first line ends in a bare LF.
const char* LineBreakOf(const char* text, size_t length)
{
    const char* newline = static_cast<const char*>(std::memchr(text, '\n', length));
    if (newline && (newline == text || newline[-1] != '\r'))
        return "\n";
    return "\r\n";
}

bool HasAny(const char* name, const char* characters)
{
    return std::strpbrk(name, characters) != nullptr;
}

bool CanWrite(const char* section, const char* key, const char* value)
{
    size_t keyLength = std::strlen(key);
    if (section[0] == 0 || HasAny(section, "\r\n]"))
        return false;
    if (keyLength == 0 || HasAny(key, "\r\n=") || key[0] == '[' || IsBlank(key[0]) ||
        IsBlank(key[keyLength - 1]))
        return false;
    size_t valueLength = std::strlen(value);
    if (valueLength > 0 && (IsBlank(value[0]) || IsBlank(value[valueLength - 1])))
        return false;
    return !HasAny(value, "\r\n");
}

// Appends pieces to a block sized beforehand.
struct Builder {
    char* at;
    void Add(const char* bytes, size_t count)
    {
        if (count > 0)
            std::memcpy(at, bytes, count);
        at += count;
    }
    void Add(const char* text) { Add(text, std::strlen(text)); }
};

// The file's bytes, or 0 with *missing set when there is no such file.
int32_t LoadFile(const char* path, char** text, size_t* length, int32_t* missing)
{
    *text = nullptr;
    *length = 0;
    FILE* file = OpenIniForReading(path, missing);
    if (!file)
        return 0;
    size_t capacity = 4096;
    char* block = static_cast<char*>(std::malloc(capacity));
    size_t used = 0;
    int32_t ok = block != nullptr;
    while (ok) {
        if (used == capacity) {
            char* larger = capacity <= kIniFileLimit ? static_cast<char*>(std::realloc(block, capacity * 2))
                                                    : nullptr;
            if (!larger) {
                ok = 0;
                break;
            }
            block = larger;
            capacity *= 2;
        }
        size_t got = std::fread(block + used, 1, capacity - used, file);
        used += got;
        if (got == 0) {
            ok = !std::ferror(file);
            break;
        }
    }
    std::fclose(file);
    if (!ok || used > kIniFileLimit) {
        std::free(block);
        return 0;
    }
    *text = block;
    *length = used;
    return 1;
}

}  // namespace

int32_t IniTextReadInt(const char* text, size_t length, const char* section, const char* key,
                       int32_t fallback)
{
    IniSpot spot = FindEntry(text, length, section, key);
    if (!spot.keyFound || !spot.hasValue)
        return fallback;
    return ParseInt(text + spot.valueStart, text + spot.valueEnd);
}

int32_t IniTextReadString(const char* text, size_t length, const char* section, const char* key, char* buffer,
                          int32_t size)
{
    if (size > 0)
        buffer[0] = 0;
    IniSpot spot = FindEntry(text, length, section, key);
    if (!spot.keyFound || !spot.hasValue)
        return 0;
    size_t end = spot.valueEnd;
    while (end > spot.valueStart && IsBlank(text[end - 1]))
        end--;
    const size_t used = end - spot.valueStart;
    if (size < 1 || used >= static_cast<size_t>(size))
        return -1;
    std::memcpy(buffer, text + spot.valueStart, used);
    buffer[used] = 0;
    return 1;
}

int32_t IniTextSetValue(const char* text, size_t length, const char* section, const char* key,
                        const char* value, char** result, size_t* resultLength)
{
    *result = nullptr;
    *resultLength = 0;
    if (!CanWrite(section, key, value))
        return 0;
    IniSpot spot = FindEntry(text, length, section, key);
    const char* lineBreak = LineBreakOf(text, length);
    size_t breakLength = std::strlen(lineBreak);
    size_t sectionLength = std::strlen(section);
    size_t keyLength = std::strlen(key);
    size_t valueLength = std::strlen(value);

    // The largest text any case below builds.
    size_t worst = length + breakLength + 1 + sectionLength + 1 + breakLength + keyLength + 1 +
                   valueLength + breakLength;
    char* block = static_cast<char*>(std::malloc(worst));
    if (!block)
        return 0;
    Builder out = {block};
    if (spot.keyFound) {
        out.Add(text, spot.valueStart);
        if (!spot.hasValue)
            out.Add("=");
        out.Add(value, valueLength);
        out.Add(text + spot.valueEnd, length - spot.valueEnd);
    } else if (spot.sectionFound) {
        out.Add(text, spot.insertAt);
        if (spot.insertNeedsBreak)
            out.Add(lineBreak);
        out.Add(key, keyLength);
        out.Add("=");
        out.Add(value, valueLength);
        out.Add(lineBreak);
        out.Add(text + spot.insertAt, length - spot.insertAt);
    } else {
        out.Add(text, length);
        if (length > 0 && text[length - 1] != '\n')
            out.Add(lineBreak);
        out.Add("[");
        out.Add(section, sectionLength);
        out.Add("]");
        out.Add(lineBreak);
        out.Add(key, keyLength);
        out.Add("=");
        out.Add(value, valueLength);
        out.Add(lineBreak);
    }
    *result = block;
    *resultLength = static_cast<size_t>(out.at - block);
    return 1;
}

int32_t IniReadInt(const char* section, const char* key, int32_t fallback, const char* path)
{
    char* text;
    size_t length;
    int32_t missing;
    if (!LoadFile(path, &text, &length, &missing))
        return fallback;
    int32_t value = IniTextReadInt(text, length, section, key, fallback);
    std::free(text);
    return value;
}

int32_t IniReadString(const char* section, const char* key, char* buffer, int32_t size, const char* path)
{
    if (size > 0)
        buffer[0] = 0;
    char* text;
    size_t length;
    int32_t missing;
    if (!LoadFile(path, &text, &length, &missing))
        return 0;
    const int32_t found = IniTextReadString(text, length, section, key, buffer, size);
    std::free(text);
    return found;
}

int32_t IniWriteString(const char* section, const char* key, const char* value, const char* path)
{
    char* text;
    size_t length;
    int32_t missing;
    if (!LoadFile(path, &text, &length, &missing) && !missing)
        return 0;
    char* updated;
    size_t updatedLength;
    int32_t ok = IniTextSetValue(text ? text : "", length, section, key, value, &updated, &updatedLength);
    if (ok && (missing || updatedLength != length || std::memcmp(updated, text, length) != 0)) {
        // Rewritten in place, like the system's own profile writer: the file
        // keeps its identity (links, permissions) and is a few hundred bytes.
        FILE* file = std::fopen(path, "wb");
        ok = file != nullptr;
        if (file) {
            ok = std::fwrite(updated, 1, updatedLength, file) == updatedLength;
            ok = (std::fclose(file) == 0) && ok;
        }
    }
    std::free(updated);
    std::free(text);
    return ok;
}
