#include "ui/gtk/save_dialog.h"

#include <cstdio>
#include <cstring>

#include "common/module_files.h"
#include "ui/shell_texts.h"

namespace {

// The folder of the last successful save, for this session.
char lastSaveFolder[kNativePathSize] = "";

// The program's own folder is no place for recordings (it may not even be
// the user's to write): the last save's folder, else Pictures, else home.
const char* SuggestedFolder()
{
    if (lastSaveFolder[0])
        return lastSaveFolder;
    const char* pictures = g_get_user_special_dir(G_USER_DIRECTORY_PICTURES);
    if (pictures && g_file_test(pictures, G_FILE_TEST_IS_DIR))
        return pictures;
    return g_get_home_dir();
}

// The name alone: it always fits, and so always ends in ".gif".
void SuggestName(GtkFileChooser* chooser, const LocalTimeParts& now)
{
    char name[kGifPathSize];
    DefaultGifPath(name, sizeof name, "", now);
    gtk_file_chooser_set_current_name(chooser, name);
}

void AddFilters(GtkFileChooser* chooser)
{
    // The same filter list as the Windows dialog: name, pattern, ... , "".
    for (const char* name = kSaveFilter; *name;) {
        const char* pattern = name + std::strlen(name) + 1;
        GtkFileFilter* filter = gtk_file_filter_new();
        gtk_file_filter_set_name(filter, name);
        gtk_file_filter_add_pattern(filter, pattern);
        gtk_file_chooser_add_filter(chooser, filter);
        name = pattern + std::strlen(pattern) + 1;
    }
}

}  // namespace

int ChooseGifPathGtk(GtkWindow* parent, const LocalTimeParts& now, char* path, int32_t size)
{
    path[0] = '\0';
    GtkWidget* dialog = gtk_file_chooser_dialog_new(kSaveTitle, parent, GTK_FILE_CHOOSER_ACTION_SAVE, "_Cancel",
                                                    GTK_RESPONSE_CANCEL, "_Save", GTK_RESPONSE_ACCEPT, nullptr);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    gtk_file_chooser_set_do_overwrite_confirmation(chooser, TRUE);
    gtk_file_chooser_set_current_folder(chooser, SuggestedFolder());
    SuggestName(chooser, now);
    AddFilters(chooser);
    int chosen = 0;
    while (!chosen && gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
        char* name = gtk_file_chooser_get_filename(chooser);
        if (!name)
            break;
        const int fits = std::snprintf(path, static_cast<size_t>(size), "%s", name) < size;
        g_free(name);
        if (!fits || !AddGifExtension(path, size)) {
            path[0] = '\0';
            chosen = -1;
            break;
        }
        // The dialog asked about the name as typed: a ".gif" of that name
        // that exists goes back to it, for its own question.
        chosen = 1;
        char* typed = gtk_file_chooser_get_filename(chooser);
        if (typed && std::strcmp(typed, path) != 0 && g_file_test(path, G_FILE_TEST_EXISTS)) {
            gtk_file_chooser_set_filename(chooser, path);
            chosen = 0;
            path[0] = '\0';
        }
        g_free(typed);
    }
    gtk_widget_destroy(dialog);
    return chosen;
}

void RememberSaveFolder(const char* path)
{
    const int32_t end = DirectoryEnd(path);
    if (end > 0 && end < kNativePathSize) {
        std::memcpy(lastSaveFolder, path, static_cast<size_t>(end));
        lastSaveFolder[end] = '\0';
    }
}
