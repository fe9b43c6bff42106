#pragma once

#include <QIODevice>

// A device that takes the first `capacity` bytes written to it and refuses
// every write after that, as a full disk or a pulled drive would.
class FailingDevice final : public QIODevice {
public:
    explicit FailingDevice(qint64 capacity)
        : m_capacity(capacity) {
        open(QIODevice::WriteOnly);
    }

    const QByteArray& written() const { return m_written; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        if (m_written.size() + size > m_capacity)
            return -1;
        m_written.append(data, size);
        return size;
    }

private:
    qint64 m_capacity;
    QByteArray m_written;
};
