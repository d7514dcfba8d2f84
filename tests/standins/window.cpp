// Stand-in for the recorder's window. Usage: window TITLE RECORD
// Shows a window titled TITLE, prints "shown" once it is on screen, and appends "F12"
// to the file RECORD for every press of F12 it receives.
#include <cstdio>

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QWidget>

namespace {

class Window : public QWidget
{
public:
    explicit Window(const QString &record) : m_record(record)
    {
        setFocusPolicy(Qt::StrongFocus);
        resize(320, 200);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (m_shown)
            return;
        m_shown = true;
        std::puts("shown");
        std::fflush(stdout);
    }

    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() != Qt::Key_F12)
            return QWidget::keyPressEvent(event);
        QFile file(m_record);
        if (file.open(QIODevice::Append))
            file.write("F12\n");
    }

private:
    QString m_record;
    bool m_shown = false;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 3)
        return 2;
    Window window(arguments.at(2));
    window.setWindowTitle(arguments.at(1));
    window.show();
    return app.exec();
}
