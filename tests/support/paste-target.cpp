// A paste target for tests: a window with one text field that has the focus.
// Prints its window id (decimal) once shown, then every text the field
// receives, one line each, and "active" or "inactive" whenever it gets the
// keyboard or loses it.
// `--rich` makes it a rich-text editor that also prints, after each change,
// the words it shows bold ("bold: ...") and italic ("italic: ..."). On
// Wayland, `--app-id ID` names its toplevel (the default is the program's
// name) and `--full-screen` shows it so.

#include <QApplication>
#include <QLineEdit>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextStream>
#include <QTimer>
#include <QWindow>

namespace {

// The words of the document whose format passes `test`, in order.
QString wordsWhere(const QTextDocument& document, bool (*test)(const QTextCharFormat&)) {
    QStringList words;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (test(it.fragment().charFormat()))
                words << it.fragment().text().simplified();
        }
    }
    return words.join(u' ');
}

QWidget* makeField(bool rich, QTextStream& out) {
    if (!rich) {
        auto* field = new QLineEdit;
        QObject::connect(field, &QLineEdit::textChanged,
                         [&out](const QString& text) { out << "text: " << text << Qt::endl; });
        return field;
    }
    auto* editor = new QTextEdit;
    QObject::connect(editor, &QTextEdit::textChanged, [editor, &out] {
        const QTextDocument& document = *editor->document();
        out << "text: " << document.toPlainText() << Qt::endl;
        out << "bold: " << wordsWhere(document, [](const QTextCharFormat& format) {
            return format.fontWeight() >= QFont::Bold;
        }) << Qt::endl;
        out << "italic: " << wordsWhere(document, [](const QTextCharFormat& format) {
            return format.fontItalic();
        }) << Qt::endl;
    });
    return editor;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velloq-paste-target"));
    const QStringList arguments = QApplication::arguments();
    const qsizetype appId = arguments.indexOf(QStringLiteral("--app-id"));
    if (appId > 0 && appId + 1 < arguments.size())
        QGuiApplication::setDesktopFileName(arguments.at(appId + 1));
    QTextStream out(stdout);
    QWidget* field = makeField(arguments.contains(QStringLiteral("--rich")), out);
    field->setWindowTitle(QStringLiteral("Paste target"));
    field->resize(400, 40);
    if (arguments.contains(QStringLiteral("--full-screen")))
        field->showFullScreen();
    else
        field->show();
    field->setFocus();
    QTimer::singleShot(0, [&] {
        out << field->winId() << Qt::endl;
        // After the id, which stays the first line.
        if (field->isActiveWindow())
            out << "active" << Qt::endl;
        QObject::connect(qApp, &QGuiApplication::focusWindowChanged, [&out](QWindow* window) {
            out << (window ? "active" : "inactive") << Qt::endl;
        });
    });
    const int status = QApplication::exec();
    delete field;
    return status;
}
