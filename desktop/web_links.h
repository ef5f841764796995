// The product's web site and contact page. The product has no public site yet, so both are
// pages of the help that comes with the program: its start page and the page on trouble and
// how to report it. Any thread.
#pragma once

#include <QUrl>

namespace corvane::desktop {

// file:// URLs of the pages in the program's help folder; empty when the page is not there.
QUrl WebsiteUrl();
QUrl ContactUrl();

}  // namespace corvane::desktop
