// The page's script and style sheet, kept in the program so that the page needs nothing from
// elsewhere. The script never draws: it puts the picture the service drew in place of the old
// one and the values into the table, and says when the stream is lost and when it is back.
#include <string_view>

#include "service/rose_page.h"

namespace corvane::service {

std::string_view RoseScript() {
  return R"js('use strict';
(function () {
  const status = document.getElementById('status');
  const rose = document.getElementById('rose');
  const time = document.getElementById('time');
  const slider = document.getElementById('at');
  const SVG = 'http://www.w3.org/2000/svg';
  if (slider) {
    slider.addEventListener('change', function () { slider.form.submit(); });
  }
  if (document.body.dataset.moment !== undefined || !window.EventSource) return;

  let lost = false;
  let source = null;
  function say(text) { status.textContent = text; }

  function show(event) {
    const data = event.data;
    const cut = data.indexOf('\n');
    const values = JSON.parse(cut < 0 ? data : data.slice(0, cut));
    if (cut >= 0 && values.still === false) {
      // Only the moving group: it takes the place of the one in the picture shown.
      const part = new DOMParser().parseFromString(
          '<svg xmlns="' + SVG + '">' + data.slice(cut + 1) + '</svg>', 'image/svg+xml');
      const group = part.documentElement.firstElementChild;
      const old = rose.querySelector('svg > g#moving');
      if (group && group.localName === 'g' && group.namespaceURI === SVG && old) {
        old.replaceWith(document.importNode(group, true));
        rose.dataset.picture = String(values.picture);
      }
    } else if (cut >= 0) {
      const picture = new DOMParser().parseFromString(data.slice(cut + 1), 'image/svg+xml');
      const svg = picture.documentElement;
      if (svg && svg.localName === 'svg' && svg.namespaceURI === SVG) {
        rose.replaceChildren(document.importNode(svg, true));
        rose.dataset.picture = String(values.picture);
      }
    }
    time.textContent = values.time || '(none yet)';
    const rows = document.querySelectorAll('#axes tbody tr');
    values.axes.forEach(function (axis, i) {
      const row = rows[i];
      if (!row) return;
      const cells = row.querySelectorAll('td');
      cells[0].textContent = axis.current;
      cells[1].textContent = axis.average;
      cells[2].textContent = axis.maximum;
      cells[4].textContent = axis.state;
      row.className = axis.state === 'critical' ? 'critical'
                    : axis.state === 'normal' ? 'normal' : 'unavailable';
    });
    say(lost ? 'The stream is back: live again.' : 'Live.');
    lost = false;
  }

  function connect() {
    source = new EventSource('/events');
    source.addEventListener('sample', show);
    source.addEventListener('error', function () {
      lost = true;
      say('The stream is lost; trying again.');
      if (source.readyState === EventSource.CLOSED) {
        source.close();
        setTimeout(connect, 2000);
      }
    });
  }
  connect();
})();
)js";
}

std::string_view RoseStyle() {
  return R"css(body { font-family: sans-serif; margin: 1em; color: #111; background: #fff; }
header h1 { font-size: 1.4em; margin: 0 0 .3em; }
main { display: flex; flex-wrap: wrap; gap: 1em; align-items: flex-start; }
#rose { margin: 0; max-width: 100%; }
#rose svg { max-width: 100%; height: auto; white-space: pre; font-kerning: none; }
table { border-collapse: collapse; }
caption { text-align: left; font-weight: bold; padding-bottom: .3em; }
th, td { padding: .2em .6em; border-bottom: 1px solid #ccc; text-align: right; }
th[scope=row], thead th:first-child { text-align: left; }
tr.critical td, tr.critical th { background: #fdd; color: #900; font-weight: bold; }
tr.unavailable td { color: #666; }
#status { font-style: italic; }
#past { flex-basis: 100%; }
#past input { width: min(40em, 90%); }
footer { margin-top: 1em; font-size: .9em; }
footer a { margin-right: 1em; }
)css";
}

}  // namespace corvane::service
