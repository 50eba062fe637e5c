#pragma once
// The native Save dialog: which folder it suggests, the name it proposes,
// and ".gif" for a name typed without an extension.

#include <gtk/gtk.h>

#include <cstdint>

#include "ui/shell_texts.h"

// Room for any path the system takes.
constexpr int32_t kNativePathSize = 4096;

// Runs the dialog over parent, proposing the name for the time now. Returns 1 with the chosen path, 0 when it was
// cancelled, -1 when the chosen path does not fit (path is then empty).
int ChooseGifPathGtk(GtkWindow* parent, const LocalTimeParts& now, char* path, int32_t size);

// A save to path succeeded: the next dialog opens in its folder.
void RememberSaveFolder(const char* path);
