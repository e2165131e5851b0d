// SPDX-License-Identifier: GPL-3.0-or-later
#include "directorycursor.h"

DirectoryCursor::DirectoryCursor() : dir(cache), files(cache)
{
    dir.setChangeHandler([this] {
        files.setPath(dir.Path());
        if (m_changeHandler)
            m_changeHandler();
    });
}
