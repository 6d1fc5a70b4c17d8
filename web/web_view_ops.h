#pragma once

#include <string>

namespace vexo {

// The three embedded web views of the main window, by designer name.
enum class WebView {
    WebBrow, // upload management, tab "Управление закачкой"
    WebNews, // news, tab "О программе"
    Delweb,  // the hidden tab's view, used for removals in the background
};

// What the page handlers do with a web view. The window implements it on
// the web engine module; tests implement it with a fake.
class WebViewOps {
public:
    virtual ~WebViewOps() = default;

    // Starts loading `url` and returns at once; the outcome is not examined.
    virtual void navigate(WebView view, const std::string& url) = 0;
    // The address of the page the view shows, as the view reports it; empty
    // before the view has loaded anything.
    virtual std::string location(WebView view) const = 0;
};

} // namespace vexo
