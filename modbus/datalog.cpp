#include "modbus/datalog.h"

#include "app/codepage.h"
#include "app/plainfile.h"

bool DataLog::open(const QString &path)
{
    close();
    m_error.clear();
    // Unbuffered: a failed write shows with the line that caused it.
    return PlainFile::openForWriting(m_file, path, &m_error);
}

bool DataLog::writeLine(const QString &line)
{
    if (!m_file.isOpen())
        return false;
    const QByteArray bytes = Cp950::fromUnicode(line) + "\r\n";
    qsizetype done = 0;
    while (done < bytes.size()) {
        const qint64 n = m_file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) {
            m_error = m_file.errorString();
            if (m_error.isEmpty())
                m_error = QStringLiteral("the line could not be written");
            return false;
        }
        done += n;
    }
    return true;
}

void DataLog::close()
{
    if (m_file.isOpen())
        m_file.close();
}
