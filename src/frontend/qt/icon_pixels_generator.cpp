// Build step: writes the C++ source that holds the icon's decoded pixels (icon_pixels.h).
//   icon_pixels_generator OUTPUT.cpp SIZE=FILE.png...
// Each image is decoded by Qt's own PNG reader and converted as QPixmap converts an image with
// transparent pixels, so the program draws exactly what decoding the file at run time gives.
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUTPUT.cpp SIZE=FILE.png...\n", argv[0]);
        return 2;
    }
    QByteArray out =
        "// Generated from the icon's PNG files by icon_pixels_generator; do not edit.\n"
        "#include \"frontend/qt/icon_pixels.h\"\n\nnamespace brindlecot::qt {\nnamespace {\n";
    QByteArray table;
    for (int i = 2; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        const qsizetype eq = arg.indexOf('=');
        const int size = arg.left(eq).toInt();
        const QString file = QString::fromLocal8Bit(arg.mid(eq + 1));
        QImageReader reader(file, "png");
        QImage image = reader.read();
        if (eq <= 0 || image.isNull() || image.width() != size || image.height() != size ||
            !image.hasAlphaChannel()) {
            std::fprintf(stderr, "%s: not a %dx%d PNG with transparency: %s\n", argv[0], size, size,
                         qPrintable(reader.errorString()));
            return 1;
        }
        image.convertTo(QImage::Format_ARGB32_Premultiplied);
        const QByteArray name = "kPixels" + QByteArray::number(size);
        out += "const std::uint32_t " + name + "[] = {";
        for (int y = 0; y < size; ++y) {
            const auto* row = reinterpret_cast<const quint32*>(image.constScanLine(y));
            for (int x = 0; x < size; ++x) {
                out += (x % 8 == 0) ? "\n    " : " ";
                out += "0x" + QByteArray::number(row[x], 16).rightJustified(8, '0') + "u,";
            }
        }
        out += "\n};\n";
        table += "    {" + QByteArray::number(size) + ", " + name + "},\n";
    }
    out += "}  // namespace\n\nconst IconImage kAppIconImages[] = {\n" + table +
           "};\nconst std::size_t kAppIconImageCount = " + QByteArray::number(argc - 2) +
           ";\n\n}  // namespace brindlecot::qt\n";
    QFile output(QString::fromLocal8Bit(argv[1]));
    if (!output.open(QIODevice::WriteOnly) || output.write(out) != out.size()) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
