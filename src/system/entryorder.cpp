// SPDX-License-Identifier: GPL-3.0-or-later
#include "entryorder.h"

#include "names.h"

#include <algorithm>
#include <cstring>
#include <utility>

bool collatesBefore(const DirectoryEntry &a, const DirectoryEntry &b)
{
    const auto keyBytes = static_cast<std::size_t>(std::min(a.key.size(), b.key.size()));
    const int byKey = std::memcmp(a.key.constData(), b.key.constData(), keyBytes);
    if (byKey != 0)
        return byKey < 0;
    if (a.key.size() != b.key.size())
        return a.key.size() < b.key.size();
    const auto nameBytes = static_cast<std::size_t>(std::min(a.name.size(), b.name.size()));
    const int byName = std::memcmp(a.name.constData(), b.name.constData(), nameBytes);
    if (byName != 0)
        return byName < 0;
    return a.name.size() < b.name.size();
}

void sortEntries(std::vector<DirectoryEntry> &entries, const std::function<void()> &whileReading)
{
    if (!whileReading || entries.size() < EntriesBetweenCalls) {
        std::sort(entries.begin(), entries.end(), collatesBefore);
        return;
    }
    std::size_t comparisons = 0;
    std::sort(entries.begin(), entries.end(),
              [&](const DirectoryEntry &a, const DirectoryEntry &b) {
                  if (++comparisons % (EntriesBetweenCalls * 16) == 0)
                      whileReading();
                  return collatesBefore(a, b);
              });
}

DirectoryEntry makeEntry(QByteArray name)
{
    QByteArray key = collationKey(name);
    return {std::move(name), std::move(key)};
}
