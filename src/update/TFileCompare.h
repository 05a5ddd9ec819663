#pragma once
// Compares two files by content: same size and same bytes.

#include <QString>
#include <stdexcept>

class FileCompareError : public std::runtime_error {
public:
    explicit FileCompareError(const QString &text) : std::runtime_error(text.toStdString()), m_text(text) {}
    QString text() const { return m_text; }

private:
    QString m_text;
};

class TFileCompare {
public:
    // Each throws FileCompareError "<path> does not exist" when there is no
    // file at path, and otherwise remembers it.
    void SetFile1(const QString &path);
    void SetFile2(const QString &path);
    QString file1() const { return m_file1; }
    QString file2() const { return m_file2; }
    // True when both files have the same size and bytes; a file that cannot
    // be read compares unequal.
    bool Compare() const;

private:
    static QString checked(const QString &path);
    QString m_file1, m_file2;
};
