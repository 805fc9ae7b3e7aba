// Runs the fuzz target over seed files (folders are searched recursively), so
// the normal build checks every seed without libFuzzer.
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

static void RunFile(const QString& path, int* count) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return;
    const QByteArray bytes = f.readAll();
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()),
                           size_t(bytes.size()));
    ++*count;
}

int main(int argc, char** argv) {
    LLVMFuzzerInitialize(&argc, &argv);
    QElapsedTimer timer;
    timer.start();
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (QFileInfo(arg).isDir()) {
            QDirIterator it(arg, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext()) RunFile(it.next(), &count);
        } else {
            RunFile(arg, &count);
        }
    }
    std::printf("%d inputs in %lld ms\n", count, qint64(timer.elapsed()));
    return count > 0 ? 0 : 1;
}
