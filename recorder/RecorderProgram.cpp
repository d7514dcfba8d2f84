#include "RecorderProgram.h"

#include "AudioEncoder.h"
#include "CaptureStart.h"
#include "CaptureThread.h"
#include "DBusDesktopNotices.h"
#include "LogindSleepInhibitor.h"
#include "NewOutputFile.h"
#include "OutputFile.h"
#include "ProblemReport.h"
#include "PulseCapture.h"
#include "PulseSoundSourceList.h"
#include "RecorderStopServer.h"
#include "RecorderWindow.h"
#include "RecordingSession.h"
#include "StreamThread.h"
#include "TerminationSignals.h"

#include <QApplication>
#include <QFile>

namespace {

// Long enough for a notification service to take the notice, short enough not to hold anyone up.
constexpr int noticeWaitMs = 2000;

const QString applicationName = QString::fromLatin1(RecorderWindow::Title);

// Without a window: says why on standard error and as a desktop notice, and ends.
int refuse(int &argc, char *argv[], const QString &message, ExitStatus status)
{
    QCoreApplication app(argc, argv);
    DBusDesktopNotices notices(applicationName);
    ProblemReport::tell(notices, message);
    notices.waitForDelivery(noticeWaitMs);
    return int(status);
}

} // namespace

int quillsndRecord(int &argc, char *argv[], EarlyCapture &early)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    CaptureStart start(arguments, early);
    const RecorderArgument &argument = start.argument();
    if (!argument.isValid())
        return refuse(argc, argv, argument.errorString(), ExitStatus::BadArgument);

    const bool stream = argument.sourceKind() == RecorderArgument::SourceKind::Stream;
    SourceMemory &sourceMemory = start.sourceMemory();
    const QString source = start.source();
    const QString sourceNotice = start.sourceNotice();
    std::unique_ptr<PulseCapture> capture = start.takeCapture();
    if (capture && !capture->isOpen())
        return refuse(argc, argv, QStringLiteral("无法连接声音服务器: %1").arg(capture->errorString()),
                      ExitStatus::NoSoundServer);

    QApplication app(argc, argv);
    QApplication::setApplicationName(applicationName);
    // A stop that came during start-up is taken up as soon as the recording runs.
    TerminationSignals terminationSignals;
    DBusDesktopNotices notices(applicationName);

    NewOutputFile output(argument.outputPath());
    std::unique_ptr<OutputFile> file = output.take();
    if (!file) {
        ProblemReport::tell(notices, output.errorString());
        notices.waitForDelivery(noticeWaitMs);
        return int(ExitStatus::WriteFailed);
    }
    std::unique_ptr<RecordingThread> recording;
    if (stream) {
        recording = std::make_unique<StreamThread>(argument.source(), std::move(file), output.path(), argument.kind(),
                                                   argument.seconds());
    } else {
        auto encoder = std::make_unique<AudioEncoder>(std::move(file), argument.kind());
        if (!encoder->open()) {
            const QString message = QStringLiteral("无法写入 \"%1\": %2").arg(output.path(), encoder->errorString());
            // Nothing was recorded into it yet, so the file this run made goes again.
            encoder.reset();
            QFile::remove(output.path());
            ProblemReport::tell(notices, message);
            notices.waitForDelivery(noticeWaitMs);
            return int(ExitStatus::WriteFailed);
        }
        recording = std::make_unique<CaptureThread>(std::move(capture), source, std::move(encoder), argument.seconds());
    }

    LogindSleepInhibitor sleepInhibitor(applicationName);
    RecorderWindow window(output.path(), argument.seconds());
    RecordingSession session(window, *recording, source, {notices, sleepInhibitor, sourceMemory});
    RecorderStopServer stopServer;
    stopServer.listen();
    PulseSoundSourceList sourceList;
    QObject::connect(&terminationSignals, &TerminationSignals::received, &session, &RecordingSession::stop);
    QObject::connect(&stopServer, &RecorderStopServer::stopRequested, &session, &RecordingSession::stop);
    if (auto *streamThread = qobject_cast<StreamThread *>(recording.get())) {
        window.showStream(argument.source());
        QObject::connect(streamThread, &StreamThread::stationChanged, &window, &RecorderWindow::showStation);
    }
    if (!sourceNotice.isEmpty()) {
        window.showNotice(sourceNotice);
        ProblemReport::tell(notices, sourceNotice);
    }

    window.show();
    session.start();
    if (!stream)
        sourceList.fetch(&session, [&session](const QList<SoundSource> &sources, const QString &defaultSource) {
            session.showSources(sources, defaultSource);
        });
    QApplication::exec();
    notices.waitForDelivery(noticeWaitMs);
    return int(session.exitStatus());
}
