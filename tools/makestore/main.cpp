#include "EmptyStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

// makestore [--keep-existing] PATH
// Makes an empty store at PATH. An existing file is refused (exit 1), or with
// --keep-existing left as it is (exit 0).
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    QTextStream out(stdout);

    QStringList arguments = app.arguments().mid(1);
    const bool keepExisting = arguments.removeAll(QStringLiteral("--keep-existing")) > 0;
    if (arguments.size() != 1) {
        err << "usage: makestore [--keep-existing] PATH\n";
        return 2;
    }
    const QString path = QFileInfo(arguments.first()).absoluteFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());

    QString problem;
    switch (EmptyStore::create(path, &problem)) {
    case EmptyStore::Result::Created:
        out << "made an empty store: " << path << '\n';
        return 0;
    case EmptyStore::Result::AlreadyExists:
        if (keepExisting)
            return 0;
        err << "makestore: " << path << " exists already; it is left unchanged\n";
        return 1;
    case EmptyStore::Result::Failed:
        break;
    }
    err << "makestore: cannot make " << path << ": " << problem << '\n';
    return 1;
}
