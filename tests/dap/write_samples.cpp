// Writes the six sample programs as files, sample0.kasm to sample5.kasm, into
// the folder given, so that a debugger can be launched on them.
#include "app/sampleprograms.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

#include <iostream>

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::cerr << "usage: write_samples FOLDER" << std::endl;
        return 64;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::cerr << "cannot make " << argv[1] << std::endl;
        return 1;
    }
    for (int sample = 0; sample < sampleProgramCount; ++sample) {
        QFile file(folder.filePath(QStringLiteral("sample%1.kasm").arg(sample)));
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(samplePrograms()[std::size_t(sample)].toUtf8()) < 0) {
            std::cerr << "cannot write " << file.fileName().toStdString() << std::endl;
            return 1;
        }
    }
    return 0;
}
