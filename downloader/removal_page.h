// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

namespace vexo {

// Thrown by RemovalPage::loadRemoval when the web engine module cannot be
// had; the text says why.
class WebEngineMissing : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The hidden web page in which the downloader opens the removal addresses
// of files that arrived whole, in the background. The web pages' view
// implements it.
class RemovalPage {
public:
    virtual ~RemovalPage() = default;

    // Starts loading `address` and returns at once; the addresses load one
    // after the other.
    virtual void loadRemoval(const std::string& address) = 0;
    // Called when a load of an address ends, with the address as
    // loadRemoval() was given it: false when the page could not be fetched,
    // came with an HTTP error status or was stopped.
    virtual void whenRemovalLoaded(std::function<void(const std::string& address, bool loaded)> done) = 0;
};

} // namespace vexo
