// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "downloader/removal_page.h"

#include <string>

namespace vexo {

// The embedded web pages.
enum class WebPage {
    UploadManagement, // tab "Управление закачкой"
    News,             // tab "О программе"
    Removal,          // hidden; removal addresses load here in the background
};

// The embedded web pages, the downloader's removal page among them.
class WebPagesView : public RemovalPage {
public:
    // Starts loading `url` and returns at once. The removal page loads its
    // addresses one after the other and tells how each load ended
    // (whenRemovalLoaded); the other pages' outcomes are not examined. For
    // the removal page it throws WebEngineMissing when the web engine
    // module cannot be had.
    virtual void load(WebPage page, const std::string& url) = 0;
    // The address the page shows, as the engine reports it; empty before
    // anything was loaded.
    virtual std::string address(WebPage page) const = 0;

    // The removal page is the page WebPage::Removal.
    void loadRemoval(const std::string& address) final { load(WebPage::Removal, address); }
};

} // namespace vexo
