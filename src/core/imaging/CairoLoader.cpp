// Cairo, loaded when the first picture is drawn rather than when a program
// starts. Cairo brings some twenty libraries with it (X11, fontconfig,
// freetype, png, ...); loading them costs every start of kestrel-cli more than
// a whole EXIF stamp, though most commands never draw. Each function Kestrel
// uses is defined here and forwards to the library's own, found once.
#include <cairo.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

namespace {

void* cairoLibrary() {
    static void* const library = [] {
        void* handle = ::dlopen("libcairo.so.2", RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            std::fprintf(stderr, "kestrel: cannot load the Cairo drawing library: %s\n", ::dlerror());
            std::abort();
        }
        return handle;
    }();
    return library;
}

template <class Function>
Function cairoFunction(const char* name) {
    void* found = ::dlsym(cairoLibrary(), name);
    if (!found) {
        std::fprintf(stderr, "kestrel: the Cairo library has no %s\n", name);
        std::abort();
    }
    return reinterpret_cast<Function>(found);
}

}  // namespace

#define KESTREL_CAIRO(Result, name, parameters, arguments)                       \
    extern "C" Result name parameters {                                          \
        using Function = Result(*) parameters;                                   \
        static const Function forward = cairoFunction<Function>(#name);          \
        return forward arguments;                                                \
    }

KESTREL_CAIRO(cairo_t*, cairo_create, (cairo_surface_t * target), (target))
KESTREL_CAIRO(void, cairo_destroy, (cairo_t * cr), (cr))
KESTREL_CAIRO(void, cairo_save, (cairo_t * cr), (cr))
KESTREL_CAIRO(void, cairo_restore, (cairo_t * cr), (cr))
KESTREL_CAIRO(cairo_surface_t*, cairo_get_target, (cairo_t * cr), (cr))
KESTREL_CAIRO(void, cairo_set_operator, (cairo_t * cr, cairo_operator_t op), (cr, op))
KESTREL_CAIRO(void, cairo_set_antialias, (cairo_t * cr, cairo_antialias_t antialias), (cr, antialias))
KESTREL_CAIRO(void, cairo_set_source, (cairo_t * cr, cairo_pattern_t* source), (cr, source))
KESTREL_CAIRO(void, cairo_set_source_surface, (cairo_t * cr, cairo_surface_t* surface, double x, double y),
              (cr, surface, x, y))
KESTREL_CAIRO(void, cairo_set_source_rgb, (cairo_t * cr, double red, double green, double blue),
              (cr, red, green, blue))
KESTREL_CAIRO(void, cairo_set_source_rgba, (cairo_t * cr, double red, double green, double blue, double alpha),
              (cr, red, green, blue, alpha))
KESTREL_CAIRO(void, cairo_translate, (cairo_t * cr, double tx, double ty), (cr, tx, ty))
KESTREL_CAIRO(void, cairo_scale, (cairo_t * cr, double sx, double sy), (cr, sx, sy))
KESTREL_CAIRO(void, cairo_rotate, (cairo_t * cr, double angle), (cr, angle))
KESTREL_CAIRO(void, cairo_identity_matrix, (cairo_t * cr), (cr))
KESTREL_CAIRO(void, cairo_rectangle, (cairo_t * cr, double x, double y, double width, double height),
              (cr, x, y, width, height))
KESTREL_CAIRO(void, cairo_move_to, (cairo_t * cr, double x, double y), (cr, x, y))
KESTREL_CAIRO(void, cairo_clip, (cairo_t * cr), (cr))
KESTREL_CAIRO(void, cairo_fill, (cairo_t * cr), (cr))
KESTREL_CAIRO(void, cairo_stroke, (cairo_t * cr), (cr))
KESTREL_CAIRO(void, cairo_line_to, (cairo_t * cr, double x, double y), (cr, x, y))
KESTREL_CAIRO(void, cairo_curve_to, (cairo_t * cr, double x1, double y1, double x2, double y2, double x3, double y3),
              (cr, x1, y1, x2, y2, x3, y3))
KESTREL_CAIRO(void, cairo_close_path, (cairo_t * cr), (cr))
KESTREL_CAIRO(void, cairo_arc, (cairo_t * cr, double xc, double yc, double radius, double angle1, double angle2),
              (cr, xc, yc, radius, angle1, angle2))
KESTREL_CAIRO(void, cairo_set_line_width, (cairo_t * cr, double width), (cr, width))
KESTREL_CAIRO(void, cairo_paint, (cairo_t * cr), (cr))
KESTREL_CAIRO(void, cairo_paint_with_alpha, (cairo_t * cr, double alpha), (cr, alpha))
KESTREL_CAIRO(void, cairo_select_font_face,
              (cairo_t * cr, const char* family, cairo_font_slant_t slant, cairo_font_weight_t weight),
              (cr, family, slant, weight))
KESTREL_CAIRO(void, cairo_set_font_size, (cairo_t * cr, double size), (cr, size))
KESTREL_CAIRO(void, cairo_show_text, (cairo_t * cr, const char* utf8), (cr, utf8))
KESTREL_CAIRO(void, cairo_text_extents, (cairo_t * cr, const char* utf8, cairo_text_extents_t* extents),
              (cr, utf8, extents))
KESTREL_CAIRO(void, cairo_font_extents, (cairo_t * cr, cairo_font_extents_t* extents), (cr, extents))
KESTREL_CAIRO(void, cairo_matrix_init,
              (cairo_matrix_t * matrix, double xx, double yx, double xy, double yy, double x0, double y0),
              (matrix, xx, yx, xy, yy, x0, y0))
KESTREL_CAIRO(cairo_pattern_t*, cairo_pattern_create_for_surface, (cairo_surface_t * surface), (surface))
KESTREL_CAIRO(void, cairo_pattern_destroy, (cairo_pattern_t * pattern), (pattern))
KESTREL_CAIRO(void, cairo_pattern_set_matrix, (cairo_pattern_t * pattern, const cairo_matrix_t* matrix),
              (pattern, matrix))
KESTREL_CAIRO(void, cairo_pattern_set_filter, (cairo_pattern_t * pattern, cairo_filter_t filter),
              (pattern, filter))
KESTREL_CAIRO(void, cairo_pattern_set_extend, (cairo_pattern_t * pattern, cairo_extend_t extend),
              (pattern, extend))
KESTREL_CAIRO(cairo_surface_t*, cairo_image_surface_create, (cairo_format_t format, int width, int height),
              (format, width, height))
KESTREL_CAIRO(cairo_surface_t*, cairo_image_surface_create_for_data,
              (unsigned char* data, cairo_format_t format, int width, int height, int stride),
              (data, format, width, height, stride))
KESTREL_CAIRO(cairo_surface_t*, cairo_image_surface_create_from_png_stream,
              (cairo_read_func_t read, void* closure), (read, closure))
KESTREL_CAIRO(int, cairo_image_surface_get_width, (cairo_surface_t * surface), (surface))
KESTREL_CAIRO(int, cairo_image_surface_get_height, (cairo_surface_t * surface), (surface))
KESTREL_CAIRO(void, cairo_surface_destroy, (cairo_surface_t * surface), (surface))
KESTREL_CAIRO(void, cairo_surface_flush, (cairo_surface_t * surface), (surface))
KESTREL_CAIRO(void, cairo_surface_mark_dirty, (cairo_surface_t * surface), (surface))
KESTREL_CAIRO(cairo_status_t, cairo_surface_status, (cairo_surface_t * surface), (surface))
KESTREL_CAIRO(cairo_status_t, cairo_surface_write_to_png_stream,
              (cairo_surface_t * surface, cairo_write_func_t write, void* closure), (surface, write, closure))
KESTREL_CAIRO(const char*, cairo_status_to_string, (cairo_status_t status), (status))
