// Where the main frame's Website... and Contact Us... lead. Corvane has no web site of its own:
// its manual is the product's site, and its page on reporting a problem is the contact page.
// Both are file:// URLs into the running program's Help folder, opened like any link
// (OpenLink); a failure reports nothing. GUI thread only.
#pragma once

#include <QUrl>

namespace corvane::desktop {

QUrl WebsiteTarget();  // help.html, the manual's start page
QUrl ContactTarget();  // report.html, how to report a problem and what to send

}  // namespace corvane::desktop
