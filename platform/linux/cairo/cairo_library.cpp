#include "platform/linux/cairo/cairo_library.h"

namespace corvane::cairo {
namespace {

std::atomic<bool> loaded{false};

}  // namespace

bool CairoLibrary::Open(std::string* error) {
  if (!library_.Open(kSoname, error)) return false;
  auto resolve = [&](auto& function, const char* name) { library_.Resolve(function, name, error); };
  resolve(image_surface_create, "cairo_image_surface_create");
  resolve(surface_destroy, "cairo_surface_destroy");
  resolve(surface_status, "cairo_surface_status");
  resolve(surface_flush, "cairo_surface_flush");
  resolve(surface_write_to_png_stream, "cairo_surface_write_to_png_stream");
  resolve(create, "cairo_create");
  resolve(destroy, "cairo_destroy");
  resolve(status, "cairo_status");
  resolve(status_to_string, "cairo_status_to_string");
  resolve(save, "cairo_save");
  resolve(restore, "cairo_restore");
  resolve(translate, "cairo_translate");
  resolve(scale, "cairo_scale");
  resolve(set_antialias, "cairo_set_antialias");
  resolve(set_source_rgb, "cairo_set_source_rgb");
  resolve(set_line_width, "cairo_set_line_width");
  resolve(set_line_cap, "cairo_set_line_cap");
  resolve(set_line_join, "cairo_set_line_join");
  resolve(set_dash, "cairo_set_dash");
  resolve(new_path, "cairo_new_path");
  resolve(move_to, "cairo_move_to");
  resolve(line_to, "cairo_line_to");
  resolve(arc, "cairo_arc");
  resolve(rectangle, "cairo_rectangle");
  resolve(stroke, "cairo_stroke");
  resolve(fill, "cairo_fill");
  resolve(select_font_face, "cairo_select_font_face");
  resolve(set_font_size, "cairo_set_font_size");
  resolve(font_options_create, "cairo_font_options_create");
  resolve(font_options_destroy, "cairo_font_options_destroy");
  resolve(font_options_set_antialias, "cairo_font_options_set_antialias");
  resolve(font_options_set_hint_metrics, "cairo_font_options_set_hint_metrics");
  resolve(set_font_options, "cairo_set_font_options");
  resolve(font_extents, "cairo_font_extents");
  resolve(text_extents, "cairo_text_extents");
  resolve(show_text, "cairo_show_text");
  return library_.complete();
}

const CairoLibrary* CairoLibrary::Load(std::string* error) {
  return dl::LoadOnce<CairoLibrary>(loaded, error);
}

}  // namespace corvane::cairo
