// Writes the benchmark's Netscape file for measuring whole processes:
//   netscape_generate COUNT FILE
#include "NetscapeGenerator.h"

#include <QFile>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: netscape_generate COUNT FILE\n");
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[2]));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 1;
    const QByteArray bytes = benchdata::netscapeFile(std::atoi(argv[1]));
    return file.write(bytes) == bytes.size() ? 0 : 1;
}
