// Writes the six sample programs into a folder, as sample0.kasm to
// sample5.kasm, for the checks that run the editors' own engines on them.

#include "sampledata.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "usage: write_samples FOLDER\n";
        return 64;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        QTextStream(stderr) << "write_samples: cannot make " << folder.path() << '\n';
        return 1;
    }
    int number = 0;
    for (const testdata::Sample &sample : testdata::samples()) {
        QFile file(folder.filePath(QStringLiteral("sample%1.kasm").arg(number++)));
        if (!file.open(QIODevice::WriteOnly) || file.write(sample.text.toUtf8()) < 0) {
            QTextStream(stderr) << "write_samples: cannot write " << file.fileName() << '\n';
            return 1;
        }
    }
    return 0;
}
