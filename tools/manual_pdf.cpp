// Writes a Markdown file as a paged A4 PDF: manual_pdf INPUT.md OUTPUT.pdf
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>
#include <QTextStream>

#include <cstdio>

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: manual_pdf INPUT.md OUTPUT.pdf\n");
        return 2;
    }
    QFile input(args[1]);
    if (!input.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "manual_pdf: cannot read %s: %s\n", qPrintable(args[1]), qPrintable(input.errorString()));
        return 1;
    }
    const QString markdown = QString::fromUtf8(input.readAll());

    QTextDocument document;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(10);
    document.setDefaultFont(font);
    document.setMarkdown(markdown);

    // Written through a temporary file, so a failed run never leaves half a manual behind.
    QSaveFile output(args[2]);
    if (!output.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "manual_pdf: cannot write %s: %s\n", qPrintable(args[2]), qPrintable(output.errorString()));
        return 1;
    }
    {
        QPdfWriter writer(&output);
        writer.setTitle(QStringLiteral("HalvanaConfigTool User's Manual"));
        writer.setCreator(QFileInfo(args[0]).fileName());
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(18, 18, 18, 18),
                                         QPageLayout::Millimeter));
        document.print(&writer);
    }
    if (!output.commit()) {
        std::fprintf(stderr, "manual_pdf: cannot write %s: %s\n", qPrintable(args[2]), qPrintable(output.errorString()));
        return 1;
    }
    return 0;
}
