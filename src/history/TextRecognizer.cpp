#include "TextRecognizer.h"

#include "PictureText.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

TextRecognizer::TextRecognizer(Start start, QObject* parent)
    : QObject(parent), m_start(std::move(start)) {
    m_quiet.setSingleShot(true);
    m_deadline.setSingleShot(true);
    connect(&m_quiet, &QTimer::timeout, this, &TextRecognizer::startNext);
    connect(&m_deadline, &QTimer::timeout, this, [this] { finish(false); });
}

TextRecognizer::~TextRecognizer() {
    stopHelper();
}

void TextRecognizer::recognise(const QStringList& pngPaths) {
    for (const QString& path : pngPaths) {
        if (m_tried.contains(path) || m_queue.contains(path) || path == m_current)
            continue;
        if (!PictureText::read(path))
            m_queue.append(path);
    }
    // A capture just happened: the helper waits until things are quiet.
    if (!m_process && !m_queue.isEmpty())
        m_quiet.start(quietMilliseconds);
}

void TextRecognizer::startNext() {
    while (!m_process && !m_queue.isEmpty()) {
        m_current = m_queue.takeFirst();
        m_tried.insert(m_current);
        // The entry may have gone while it waited.
        if (!QFileInfo::exists(m_current))
            continue;
        m_process = m_start(m_current);
        if (!m_process)
            continue;
        m_process->setParent(this);
        connect(m_process, &QProcess::finished, this,
                [this](int code, QProcess::ExitStatus status) {
                    finish(status == QProcess::NormalExit && code == 0);
                });
        connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart)
                finish(false);
        });
        m_deadline.start(deadlineMilliseconds);
        if (m_process->state() == QProcess::NotRunning)
            m_process->start();
    }
}

void TextRecognizer::finish(bool succeeded) {
    if (!m_process)
        return;
    m_deadline.stop();
    const QString path = m_current;
    // Written only while the picture is still there, so a removed entry
    // leaves no text behind.
    const bool stored =
        succeeded && QFileInfo::exists(path) &&
        PictureText::write(path, QString::fromUtf8(m_process->readAllStandardOutput().left(
                                     PictureText::maximumBytes)));
    stopHelper();
    m_current.clear();
    if (stored)
        Q_EMIT recognised(path);
    startNext();
}

void TextRecognizer::stopHelper() {
    if (!m_process)
        return;
    QProcess* process = m_process;
    m_process = nullptr;
    process->disconnect(this);
    if (process->state() != QProcess::NotRunning) {
        process->kill();
        process->waitForFinished(1000);
    }
    process->deleteLater();
}

TextRecognizer::Start TextRecognizer::helperProcess(const QString& program,
                                                    const QString& languages) {
    return [program, languages](const QString& pngPath) {
        auto* process = new QProcess;
        process->setProgram(program);
        process->setArguments({pngPath, languages});
        process->setStandardInputFile(QProcess::nullDevice());
        process->setStandardErrorFile(QProcess::nullDevice());
        // Tesseract's OpenMP threads would take every core; one is enough
        // for a picture at a time.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"OMP_THREAD_LIMIT"_s, u"1"_s);
        process->setProcessEnvironment(environment);
        return process;
    };
}

QString TextRecognizer::languagesFor(const QStringList& uiLanguages) {
    QStringList names;
    for (const QString& language : uiLanguages) {
        const QString name = language.startsWith(u"de"_s)   ? u"deu"_s
                             : language.startsWith(u"en"_s) ? u"eng"_s
                                                            : QString();
        if (!name.isEmpty() && !names.contains(name))
            names.append(name);
    }
    return names.isEmpty() ? u"eng"_s : names.join(u'+');
}
