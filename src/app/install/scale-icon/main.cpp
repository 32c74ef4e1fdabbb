// Build-time tool: writes a square PNG of the given size from the logo, so the
// icon lands in a size folder the icon theme knows.
// Usage: vantrel-scale-icon IN.png OUT.png SIZE
#include <QImage>
#include <QString>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fputs("usage: vantrel-scale-icon IN.png OUT.png SIZE\n", stderr);
    return 2;
  }
  const int size = std::atoi(argv[3]);
  QImage logo;
  if (size <= 0 || !logo.load(QString::fromLocal8Bit(argv[1]), "PNG")) {
    std::fprintf(stderr, "vantrel-scale-icon: cannot read %s\n", argv[1]);
    return 1;
  }
  const QImage icon = logo.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  if (!icon.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
    std::fprintf(stderr, "vantrel-scale-icon: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
