#pragma once
// The status line's texts, the Save dialog's texts and the default file
// name of a recording. Texts are GBK in the product (UTF-8 natively).

#include <cstdint>

extern const char kStatusRecording[];  // "录制中..."
extern const char kStatusStopping[];
extern const char kStatusNoFrames[];
extern const char kStatusSaveFailed[];
extern const char kStatusNameUnusable[];

// Every status text fits this, the save text's buffer.
constexpr int32_t kStatusTextSize = 340;

// Progress: frames so far and the seconds with their tenths cut, not rounded.
void FormatProgressText(char* buffer, int32_t size, int32_t frames, int64_t milliseconds);
// Completion: the frame count and output size, or the no-frame text.
void FormatDoneText(char* buffer, int32_t size, int32_t frames, int32_t outWidth, int32_t outHeight);
// After a successful save, with the full path.
void FormatSavedText(char* buffer, int32_t size, const char* path, int32_t frames, int32_t outWidth,
                     int32_t outHeight);
// The global hotkey, named as in the settings file, belongs to another program.
void FormatHotkeyTakenText(char* buffer, int32_t size, const char* hotkey);

// The Save dialog: the filter list (pairs of NUL-terminated texts, ending in
// an empty one), its title and the default extension.
extern const char kSaveFilter[];
extern const int32_t kSaveFilterBytes;  // all of it, the final empty text included
extern const char kSaveTitle[];
extern const char kSaveExtension[];

// What Generate does once the Save dialog has closed. It reports FALSE both
// for Cancel and for its own failures (a typed path longer than its buffer);
// only the extended error tells them apart. A name with characters outside
// the ANSI code page comes back with '?' for each of them: no file of that
// name can exist, and writing it would fail with the disk-and-permissions
// text, which sends the user looking in the wrong place. A UTF-8 path holds
// every character, and there '?' is a character like any other.
enum DialogPathEncoding : int32_t {
    kCodePagePath,
    kUtf8Path,
};
enum SaveStep : int32_t {
    kSaveCancelled,     // the status line keeps its text
    kSaveDialogFailed,  // the failure text, as for a failed write
    kSaveNameUnusable,  // kStatusNameUnusable; nothing is written
    kSaveWrite,
};
SaveStep StepAfterSaveDialog(int32_t accepted, uint32_t dialogError, const char* path,
                             DialogPathEncoding encoding);

struct LocalTimeParts {
    int32_t year;
    int32_t month;
    int32_t day;
    int32_t hour;
    int32_t minute;
    int32_t second;
};

constexpr int32_t kGifPathSize = 260;

// directory followed by "Pixlo.YYYYMMDD_hhmmss.gif". Returns 0 with an empty
// text when it does not fit: a cut name would be some other file.
int DefaultGifPath(char* buffer, int32_t size, const char* directory, const LocalTimeParts& time);

// A typed name whose last component has no extension (no dot after its
// first character) gets ".gif", as the Windows dialog's default extension
// gives it. Returns 0, path untouched, when the result would not fit.
int AddGifExtension(char* path, int32_t size);

// The executable's directory, its final separator included; empty when the
// path cannot be had or holds no separator.
void ExecutableDirectory(char* buffer, int32_t size);
