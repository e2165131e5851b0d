#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// Builds directory trees of real files in a temporary folder.
class TreeBuilder
{
public:
    TreeBuilder() { QVERIFY(m_dir.isValid()); }

    QByteArray root() const { return QFile::encodeName(m_dir.path()); }
    QString rootText() const { return m_dir.path(); }
    // The root as the report writes it: lower-cased.
    QString reportRoot() const { return m_dir.path().toLower(); }

    QByteArray path(const QByteArray &relative) const { return root() + '/' + relative; }

    void dir(const QByteArray &relative)
    {
        QVERIFY(QDir().mkpath(QFile::decodeName(path(relative))));
    }

    // A file of `size` bytes; large sizes stay sparse.
    void file(const QByteArray &relative, qint64 size = 0)
    {
        const QByteArray full = path(relative);
        const qsizetype slash = full.lastIndexOf('/');
        QVERIFY(QDir().mkpath(QFile::decodeName(full.left(slash))));
        QFile file(QFile::decodeName(full));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(size));
    }

    void files(const QByteArray &relativeDir, const QList<QByteArray> &names)
    {
        for (const QByteArray &name : names)
            file(relativeDir + '/' + name);
    }

private:
    QTemporaryDir m_dir;
};
