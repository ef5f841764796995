// The cairo calls the raster surface makes, found in Debian's libcairo2 the first time a
// picture is drawn rather than at program start: a service whose pages are never asked for a
// PNG never maps cairo, and one on a machine without it still serves everything else. The
// table owns the library handle (kept until exit). Any thread may call Load; the first call
// loads, later ones share the result.
#pragma once

#include <cairo.h>

#include <atomic>
#include <string>

#include "platform/linux/dl/shared_library.h"

namespace corvane::cairo {

class CairoLibrary {
 public:
  static constexpr const char* kSoname = "libcairo.so.2";
  // The Debian package that installs kSoname, for the reason a missing library gives.
  static constexpr const char* kPackage = "libcairo2";

  // The loaded library, or null with *error saying why ("libcairo.so.2 cannot be loaded:
  // <reason>"). A failure is remembered: the process does not retry.
  static const CairoLibrary* Load(std::string* error);

  decltype(&::cairo_image_surface_create) image_surface_create = nullptr;
  decltype(&::cairo_surface_destroy) surface_destroy = nullptr;
  decltype(&::cairo_surface_status) surface_status = nullptr;
  decltype(&::cairo_surface_flush) surface_flush = nullptr;
  decltype(&::cairo_surface_write_to_png_stream) surface_write_to_png_stream = nullptr;
  decltype(&::cairo_create) create = nullptr;
  decltype(&::cairo_destroy) destroy = nullptr;
  decltype(&::cairo_status) status = nullptr;
  decltype(&::cairo_status_to_string) status_to_string = nullptr;
  decltype(&::cairo_save) save = nullptr;
  decltype(&::cairo_restore) restore = nullptr;
  decltype(&::cairo_translate) translate = nullptr;
  decltype(&::cairo_scale) scale = nullptr;
  decltype(&::cairo_set_antialias) set_antialias = nullptr;
  decltype(&::cairo_set_source_rgb) set_source_rgb = nullptr;
  decltype(&::cairo_set_line_width) set_line_width = nullptr;
  decltype(&::cairo_set_line_cap) set_line_cap = nullptr;
  decltype(&::cairo_set_line_join) set_line_join = nullptr;
  decltype(&::cairo_set_dash) set_dash = nullptr;
  decltype(&::cairo_new_path) new_path = nullptr;
  decltype(&::cairo_move_to) move_to = nullptr;
  decltype(&::cairo_line_to) line_to = nullptr;
  decltype(&::cairo_arc) arc = nullptr;
  decltype(&::cairo_rectangle) rectangle = nullptr;
  decltype(&::cairo_stroke) stroke = nullptr;
  decltype(&::cairo_fill) fill = nullptr;
  decltype(&::cairo_select_font_face) select_font_face = nullptr;
  decltype(&::cairo_set_font_size) set_font_size = nullptr;
  decltype(&::cairo_font_options_create) font_options_create = nullptr;
  decltype(&::cairo_font_options_destroy) font_options_destroy = nullptr;
  decltype(&::cairo_font_options_set_antialias) font_options_set_antialias = nullptr;
  decltype(&::cairo_font_options_set_hint_metrics) font_options_set_hint_metrics = nullptr;
  decltype(&::cairo_set_font_options) set_font_options = nullptr;
  decltype(&::cairo_font_extents) font_extents = nullptr;
  decltype(&::cairo_text_extents) text_extents = nullptr;
  decltype(&::cairo_show_text) show_text = nullptr;

 private:
  friend const CairoLibrary* dl::LoadOnce<CairoLibrary>(std::atomic<bool>&, std::string*);
  CairoLibrary() = default;
  bool Open(std::string* error);

  dl::SharedLibrary library_;
};

}  // namespace corvane::cairo
