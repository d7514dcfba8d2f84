#include "StoreLocker.h"

StoreLocker::~StoreLocker()
{
    if (m_shell.state() != QProcess::NotRunning) {
        m_shell.kill();
        m_shell.waitForFinished(5000);
    }
}

bool StoreLocker::lock(Hold hold)
{
    return this->hold(hold == Hold::Exclusive ? "BEGIN EXCLUSIVE;\n" : "BEGIN;\nSELECT count(*) FROM AddSchTab;\n", {});
}

bool StoreLocker::lockFor(int ms)
{
    return hold("BEGIN EXCLUSIVE;\n", QStringLiteral(".shell sleep %1\nROLLBACK;\n.quit\n").arg(ms / 1000.0).toLatin1());
}

bool StoreLocker::hold(const QByteArray &begin, const QByteArray &afterwards)
{
    m_shell.start(QStringLiteral("sqlite3"), {m_storePath});
    if (!m_shell.waitForStarted(5000))
        return false;
    m_shell.write(begin + "SELECT 'locked';\n" + afterwards);
    while (!m_shell.readAllStandardOutput().contains("locked")) {
        if (!m_shell.waitForReadyRead(5000))
            return false;
    }
    return true;
}

bool StoreLocker::release()
{
    m_shell.write("ROLLBACK;\n.quit\n");
    m_shell.closeWriteChannel();
    return m_shell.waitForFinished(5000) && m_shell.exitCode() == 0;
}
