#include "Registre.h"
#include "records/Processus.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTest>

// Runs every registered test class; arguments after the program name select
// a class by name (e.g. test_records TestFichierRep).
int main(int argc, char** argv)
{
    // The tests rely on the program's own set-up (a write past the file-size limit
    // fails instead of killing the process).
    Processus::Prepare();
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QStringList noms;
    for (int i = 1; i < argc; ++i)
        noms << QString::fromLocal8Bit(argv[i]);
    int echecs = 0;
    for (const auto& fabrique : Registre::Classes()) {
        std::unique_ptr<QObject> test = fabrique();
        if (!noms.isEmpty() && !noms.contains(QString::fromLatin1(test->metaObject()->className())))
            continue;
        echecs += QTest::qExec(test.get(), QStringList{QString::fromLocal8Bit(argv[0])});
    }
    return echecs == 0 ? 0 : 1;
}
