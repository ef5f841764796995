#include "tools/corvsnap/png_snapshot.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <string_view>

#include "platform/qt/painter_surface.h"
#include "tools/corvsnap/snapshot.h"

namespace corvane::corvsnap {

bool WritePngSnapshot(Corvane& engine, const SnapOptions& options, std::string* error) {
  QImage image(options.width, options.height, QImage::Format_RGB32);
  if (image.isNull()) {
    *error = "cannot make an image of " + std::to_string(options.width) + "x" +
             std::to_string(options.height) + " pixels: out of memory";
    return false;
  }
  {
    QPainter painter(&image);
    // Smooth lines, as a browser shows the SVG snapshot.
    qt::PainterSurface surface(painter, qt::PainterSurface::LineSmoothing::kOn);
    DrawSnapshot(engine, surface, options.width, options.height);
  }
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "png");
  if (!writer.write(image)) {
    *error = "cannot encode " + options.output.string() +
             " as PNG: " + writer.errorString().toStdString();
    return false;
  }
  return WritePicture(options.output,
                      std::string_view(png.constData(), static_cast<std::size_t>(png.size())),
                      error);
}

}  // namespace corvane::corvsnap
