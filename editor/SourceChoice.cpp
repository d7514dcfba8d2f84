#include "SourceChoice.h"

#include "FormControls.h"
#include "ResultSet.h"
#include "StreamProbe.h"
#include "TaskSources.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <chrono>

using namespace FormControls;
using namespace std::chrono_literals;

namespace {

constexpr auto ProbeLimit = 5s;
constexpr auto TypingPause = 500ms;

} // namespace

SourceChoice::SourceChoice(QWidget *window, SoundSourceList &soundSources)
    : QObject(window)
    , m_soundSources(soundSources)
    , m_probe(new StreamProbe(ProbeLimit, this))
    , m_pause(new QTimer(this))
{
    auto *frame = addFrame(window, "FraSource", 120, 7200, 5535, BottomTwips - 7200, QStringLiteral("录音来源"));
    m_list = new QComboBox(frame);
    m_list->setEditable(true);
    m_list->setInsertPolicy(QComboBox::NoInsert);
    place(m_list, "CboSource", 240, 300, 5055, 315);
    m_info = addLabel(frame, "LblSourceInfo", 240, 690, 5055, 255);
    m_list->setEnabled(false);
    rebuild();

    m_pause->setSingleShot(true);
    m_pause->setInterval(TypingPause);
    connect(m_pause, &QTimer::timeout, this, [this] { m_probe->probe(shownSource()); });
    connect(m_list, &QComboBox::editTextChanged, this, &SourceChoice::typed);
    connect(m_probe, &StreamProbe::answered, this, &SourceChoice::showStation);
}

void SourceChoice::listStreams(const std::shared_ptr<StoreConnection> &store)
{
    m_streams = TaskSources(store).streams();
    rebuild();
}

void SourceChoice::showCurrent(const ResultSet &rows)
{
    if (rows.editMode() == ResultSet::EditMode::Adding) {
        display(QString());
        return;
    }
    const std::optional<SeriesPlan> plan = rows.currentPlan();
    m_stored = plan ? plan->source : QString();
    display(m_stored);
}

void SourceChoice::setEditable(bool editable)
{
    m_list->setEnabled(editable);
    if (editable) {
        // Asked each time, not once at start-up: the sound server may have started, or a device come, since.
        m_soundSources.fetch(this, [this](const QList<SoundSource> &sources, const QString &) {
            m_devices = sources;
            rebuild();
        });
        typed();
        return;
    }
    m_pause->stop();
    m_probe->cancel();
    display(m_stored);
    m_info->clear();
}

std::optional<QString> SourceChoice::chosen(QString *refusal) const
{
    const QString source = shownSource();
    const bool device = std::any_of(m_devices.cbegin(), m_devices.cend(), [&](const SoundSource &s) { return s.name == source; });
    // A source the task already has stays, though its device may be away just now.
    if (source.isEmpty() || source == m_stored || device || isStream(source))
        return source;
    *refusal = QString::fromUtf8(InvalidMessage).arg(source);
    return std::nullopt;
}

QString SourceChoice::shownSource() const
{
    const int index = m_list->findText(m_list->currentText());
    return index >= 0 ? m_list->itemData(index).toString() : m_list->currentText().trimmed();
}

void SourceChoice::display(const QString &source)
{
    const QSignalBlocker quiet(m_list);
    const int index = m_list->findData(source);
    if (index >= 0)
        m_list->setCurrentIndex(index);
    else
        m_list->setEditText(source);
}

void SourceChoice::rebuild()
{
    const QString shown = shownSource();
    const QSignalBlocker quiet(m_list);
    m_list->clear();
    m_list->addItem(QString::fromUtf8(RecorderChoice), QString());
    for (const SoundSource &device : std::as_const(m_devices))
        m_list->addItem(device.isMonitor ? QString::fromUtf8(MonitorCaption).arg(device.description) : device.description, device.name);
    for (const QString &address : std::as_const(m_streams))
        m_list->addItem(address, address);
    display(shown);
}

void SourceChoice::typed()
{
    m_pause->stop();
    m_probe->cancel();
    const QString source = shownSource();
    if (!isStream(source)) {
        m_info->setText(source);
        return;
    }
    m_info->setText(QString::fromUtf8(ConnectingText));
    m_pause->start();
}

void SourceChoice::showStation(const QString &address, const StreamStation &station, const QString &error)
{
    if (address != shownSource())
        return;
    if (!error.isEmpty()) {
        m_info->setText(QString::fromUtf8(StreamFailedText).arg(error));
        return;
    }
    QStringList parts;
    for (const QString &part : {station.name, station.codec})
        if (!part.isEmpty())
            parts << part;
    if (station.bitRate > 0)
        parts << QStringLiteral("%1 kb/s").arg(station.bitRate / 1000);
    m_info->setText(parts.join(QStringLiteral(" · ")));
}

bool SourceChoice::isStream(const QString &text)
{
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == u"http" || scheme == u"https") && !url.host().isEmpty();
}
