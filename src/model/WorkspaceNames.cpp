#include "model/WorkspaceNames.h"

#include <algorithm>

namespace dexaro {
namespace {

bool isInvisible(QChar c) {
    return c.isSpace() || c.category() == QChar::Other_Format;
}

constexpr char16_t lre = 0x202A, rle = 0x202B, pdf = 0x202C, lro = 0x202D, rlo = 0x202E;
constexpr char16_t lri = 0x2066, rli = 0x2067, fsi = 0x2068, pdi = 0x2069;

} // namespace

QString canonicalWorkspaceName(const QString& name) {
    qsizetype begin = 0, end = name.size();
    // Surrogate pairs are never white space or Cf as halves, so they stay.
    while (begin < end && isInvisible(name[begin]))
        ++begin;
    while (end > begin && isInvisible(name[end - 1]))
        --end;
    return name.mid(begin, end - begin).normalized(QString::NormalizationForm_C);
}

bool sameWorkspaceName(const QString& a, const QString& b) {
    return canonicalWorkspaceName(a) == canonicalWorkspaceName(b);
}

QString displayedWorkspaceName(const QString& name) {
    // The controls left open, innermost last: embeddings and overrides close
    // with PDF, isolates with PDI (which also closes the embeddings inside).
    QString open;
    bool controlled = false;
    for (const QChar c : name) {
        switch (c.unicode()) {
        case lre:
        case rle:
        case lro:
        case rlo:
            open.append(QChar(pdf));
            controlled = true;
            break;
        case lri:
        case rli:
        case fsi:
            open.append(QChar(pdi));
            controlled = true;
            break;
        case pdf:
            controlled = true;
            if (!open.isEmpty() && open.back() == QChar(pdf))
                open.chop(1);
            break;
        case pdi:
            controlled = true;
            if (const qsizetype at = open.lastIndexOf(QChar(pdi)); at >= 0)
                open.truncate(at);
            break;
        default:
            break;
        }
    }
    if (!controlled)
        return name;
    std::reverse(open.begin(), open.end());
    return QChar(fsi) + name + open + QChar(pdi);
}

} // namespace dexaro
