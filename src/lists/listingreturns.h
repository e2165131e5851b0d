// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "filesystem.h"

#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

// The listings one worker read, handed back to it to free once the walk is
// done with them. The C library's allocator frees memory quickest on the
// thread that allocated it: names freed on the walk's thread go back to the
// worker's arena under its lock, one by one, while the worker, which never
// frees, allocates every name afresh.
//
// Only so much waits here; beyond that, and once the worker has gone, a
// listing is freed wherever it is let go.
class ListingReturns
{
public:
    ListingReturns();

    ListingReturns(const ListingReturns &) = delete;
    ListingReturns &operator=(const ListingReturns &) = delete;

    // `listing`, shared, coming back to `returns` when its last owner lets go.
    static std::shared_ptr<const DirectoryListing>
    share(const std::shared_ptr<ListingReturns> &returns, DirectoryListing &&listing);

    // Frees what has come back. On the worker's thread.
    void freeReturned();
    // The worker ends: what is here is freed now, and what comes later
    // where it is let go.
    void close();

private:
    struct Return;
    void take(const DirectoryListing *listing);

    std::mutex m_mutex;
    // Both never grow past the capacity reserved: a listing comes back
    // without allocating. The worker frees one while the other fills.
    std::vector<const DirectoryListing *> m_returned;
    std::vector<const DirectoryListing *> m_freeing; // the worker's own
    std::size_t m_entries = 0;                       // in the listings returned
    bool m_open = true;
};
