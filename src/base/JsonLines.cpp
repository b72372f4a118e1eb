#include "base/JsonLines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

#include "base/AtomicFile.h"

namespace vantrel::jsonl {

std::string_view trimmed(std::string_view line)
{
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; };
    while (!line.empty() && space(line.front()))
        line.remove_prefix(1);
    while (!line.empty() && space(line.back()))
        line.remove_suffix(1);
    return line;
}

std::vector<QJsonObject> parse(const QByteArray& content)
{
    std::vector<QJsonObject> out;
    qsizetype start = 0;
    while (start < content.size()) {
        qsizetype end = content.indexOf('\n', start);
        if (end < 0)
            end = content.size();
        const QByteArray line = content.mid(start, end - start).trimmed();
        start = end + 1;
        if (line.isEmpty())
            continue;
        QJsonParseError err;
        const QJsonDocument doc = QJsonDocument::fromJson(line, &err);
        if (err.error == QJsonParseError::NoError && doc.isObject())
            out.push_back(doc.object());
    }
    return out;
}

std::vector<QJsonObject> read(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return parse(f.readAll());
}

QByteArray encodeLine(const QJsonObject& record)
{
    QByteArray line = QJsonDocument(record).toJson(QJsonDocument::Compact);
    line.append('\n');
    return line;
}

QByteArray encode(const std::vector<QJsonObject>& records)
{
    QByteArray out;
    for (const auto& r : records)
        out.append(encodeLine(r));
    return out;
}

bool append(const QString& path, const QJsonObject& record)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray line = encodeLine(record);
    return f.write(line) == line.size();
}

bool writeAll(const QString& path, const std::vector<QJsonObject>& records)
{
    return writeFileAtomically(path, encode(records));
}

} // namespace vantrel::jsonl
