#pragma once
// The drawing table with cairo and pango, shared by the native windows.

#include <gtk/gtk.h>

#include "ui/draw_api.h"

// The table on cr, measuring texts with widget's pango context, until the
// next call; cr may be null for a table that only measures.
const DrawApi& CairoDrawOn(GtkWidget* widget, cairo_t* cr);
