#pragma once

#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QSet>
#include <QStringList>
#include <QTimer>

#include <functional>

// Recognises the text of pictures in a helper process, one picture at a
// time and only while nothing is being captured, and stores what it reads
// beside each picture (PictureText). A helper that crashes, fails or takes
// too long costs only that picture's text: it is tried again at the next
// start, not in this run, so one bad picture cannot keep a helper busy.
class TextRecognizer : public QObject {
    Q_OBJECT
public:
    // Starts the helper for one PNG; the recognizer owns the process.
    using Start = std::function<QProcess*(const QString& pngPath)>;

    explicit TextRecognizer(Start start, QObject* parent = nullptr);
    ~TextRecognizer() override;

    // Queues the pictures among `pngPaths` not recognised or tried yet; the
    // work starts once `quietMilliseconds` have passed without another call.
    void recognise(const QStringList& pngPaths);

    int quietMilliseconds = 2000;
    // Wall time: at idle priority a busy machine stretches the helper's
    // minute of processor time.
    int deadlineMilliseconds = 5 * 60 * 1000;

    // The production helper: `program` with the picture and the languages
    // ("eng+deu"), at idle priority (the helper lowers its own).
    static Start helperProcess(const QString& program, const QString& languages);

    // Tesseract's names of Velloq's languages among the user's, most wanted
    // first; English when none is.
    static QString languagesFor(const QStringList& uiLanguages);

Q_SIGNALS:
    // The text of the picture is stored (possibly empty).
    void recognised(const QString& pngPath);

private:
    void startNext();
    void finish(bool succeeded);
    void stopHelper();

    Start m_start;
    QStringList m_queue;
    QSet<QString> m_tried;
    QString m_current;
    QProcess* m_process = nullptr;
    QTimer m_quiet;
    QTimer m_deadline;
};
