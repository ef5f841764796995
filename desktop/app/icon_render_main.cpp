// Draws the program's scalable icon as PNG files at the given square sizes, at build time,
// the way Qt's SVG icon engine draws it at run time (a premultiplied image cleared to
// transparent, the whole picture rendered into it).
// Usage: corvane_icon_render PICTURE.svg OUTPUT_FOLDER SIZE...   (writes corvane-SIZE.png)
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s PICTURE.svg OUTPUT_FOLDER SIZE...\n", argv[0]);
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
  if (!renderer.isValid()) {
    std::fprintf(stderr, "%s: not a picture\n", argv[1]);
    return 1;
  }
  const QDir folder(QString::fromLocal8Bit(argv[2]));
  for (int i = 3; i < argc; ++i) {
    const int side = QByteArray(argv[i]).toInt();
    if (side <= 0) {
      std::fprintf(stderr, "%s: not a size\n", argv[i]);
      return 2;
    }
    QSize fitted = renderer.defaultSize();
    fitted.scale(side, side, Qt::KeepAspectRatio);
    QImage image(fitted, QImage::Format_ARGB32_Premultiplied);
    image.fill(0);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    const QString name = folder.filePath(QStringLiteral("corvane-%1.png").arg(side));
    if (!image.save(name, "PNG")) {
      std::fprintf(stderr, "%s: cannot write\n", qPrintable(name));
      return 1;
    }
  }
  return 0;
}
