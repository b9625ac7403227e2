#include "modbus/datalog.h"

#include "app/codepage.h"

bool DataLog::open(const QString &path)
{
    close();
    m_file.setFileName(path);
    return m_file.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

void DataLog::writeLine(const QString &line)
{
    if (!m_file.isOpen())
        return;
    m_file.write(Cp950::fromUnicode(line) + "\r\n");
    m_file.flush();
}

void DataLog::close()
{
    if (m_file.isOpen())
        m_file.close();
}
