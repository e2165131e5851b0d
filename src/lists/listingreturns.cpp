// SPDX-License-Identifier: GPL-3.0-or-later
#include "listingreturns.h"

namespace {

// How many listings, and how many entries in them, may wait for their
// worker: a few directories' worth of memory while it reads one more.
constexpr std::size_t ListingsWaiting = 256;
constexpr std::size_t EntriesWaiting = 16384;

std::size_t entriesOf(const DirectoryListing &listing)
{
    return listing.subdirectories.size() + listing.files.size() + listing.unreadable.size();
}

} // namespace

struct ListingReturns::Return
{
    std::shared_ptr<ListingReturns> to;
    void operator()(const DirectoryListing *listing) const { to->take(listing); }
};

ListingReturns::ListingReturns()
{
    m_returned.reserve(ListingsWaiting);
    m_freeing.reserve(ListingsWaiting);
}

std::shared_ptr<const DirectoryListing>
ListingReturns::share(const std::shared_ptr<ListingReturns> &returns, DirectoryListing &&listing)
{
    if (!returns)
        return std::make_shared<const DirectoryListing>(std::move(listing));
    // Should the shared pointer fail to be made, the listing goes back too.
    return {new DirectoryListing(std::move(listing)), Return{returns}};
}

// Called wherever the last owner lets go; never throws.
void ListingReturns::take(const DirectoryListing *listing)
{
    {
        const std::lock_guard lock(m_mutex);
        const std::size_t entries = entriesOf(*listing);
        if (m_open && m_returned.size() < ListingsWaiting &&
            m_entries + entries <= EntriesWaiting) {
            m_returned.push_back(listing); // within the capacity reserved
            m_entries += entries;
            return;
        }
    }
    delete listing;
}

void ListingReturns::freeReturned()
{
    {
        const std::lock_guard lock(m_mutex);
        m_freeing.swap(m_returned);
        m_entries = 0;
    }
    for (const DirectoryListing *listing : m_freeing)
        delete listing;
    m_freeing.clear();
}

void ListingReturns::close()
{
    {
        const std::lock_guard lock(m_mutex);
        m_open = false;
    }
    freeReturned();
}
