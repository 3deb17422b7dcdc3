#include "long_runs.h"

namespace renderengine {

QString hideScript()
{
    // A sheet of the document's own, not its markup: the page file's DOM stays as written.
    return QStringLiteral(R"JS((function () {
try {
  var sheet = new CSSStyleSheet();
  sheet.replaceSync(':root { display: none !important; }');
  document.adoptedStyleSheets = document.adoptedStyleSheets.concat([sheet]);
  window.paperwakeHidden = sheet;
} catch (e) {
}
})())JS");
}

QString beforePrintScript()
{
    return QStringLiteral(R"JS(if (typeof window.paperwakeWidth === 'string') {
  document.documentElement.style.width = window.paperwakeWidth;
  window.paperwakeWidth = null;
})JS");
}

QString longRunsScript(double printableWidthPx)
{
    // Every style is read before the first change, so the page's style is worked out once.
    QString script = QStringLiteral(R"JS((function () {
'use strict';
var hidden = window.paperwakeHidden;
if (hidden) {
  window.paperwakeHidden = null;
  document.adoptedStyleSheets = document.adoptedStyleSheets.filter(function (s) {
    return s !== hidden;
  });
}
var LINES = 64; // forced line ends in one block
var BLOCK_LEVEL = {'block': 1, 'list-item': 1, 'table': 1, 'flex': 1, 'grid': 1, 'flow-root': 1};
var CONTAINERS = {'block': 1, 'list-item': 1, 'flow-root': 1, 'inline-block': 1, 'table-cell': 1};
// Inline elements whose two halves look as the whole did, when nothing is drawn at their sides.
var SPLITTABLE = {A: 1, ABBR: 1, B: 1, BIG: 1, CITE: 1, CODE: 1, DEL: 1, DFN: 1, EM: 1, FONT: 1,
                  I: 1, INS: 1, KBD: 1, MARK: 1, S: 1, SAMP: 1, SMALL: 1, SPAN: 1, STRIKE: 1,
                  STRONG: 1, SUB: 1, SUP: 1, TT: 1, U: 1, VAR: 1};
var styles = new Map();
function css(el) {
  var s = styles.get(el);
  if (!s) { s = getComputedStyle(el); styles.set(el, s); }
  return s;
}
var PLAIN_BR = {display: 'inline', float: 'none', position: 'static'};
function style(el) {
  return el.tagName === 'BR' && !brsStyled ? PLAIN_BR : css(el);
}
function outOfFlow(s) {
  return s.float !== 'none' || s.position === 'absolute' || s.position === 'fixed';
}
function noGeneratedContent(el) {
  return ['::before', '::after'].every(function (which) {
    var content = getComputedStyle(el, which).content;
    return content === 'none' || content === 'normal';
  });
}
function splittable(el, s) {
  if (!SPLITTABLE[el.tagName] || s.display !== 'inline' || outOfFlow(s)) return false;
  if (s.position !== 'static' && s.position !== 'relative') return false;
  var sides = ['marginLeft', 'marginRight', 'paddingLeft', 'paddingRight', 'borderLeftWidth',
               'borderRightWidth'];
  for (var i = 0; i < sides.length; ++i)
    if (parseFloat(s[sides[i]]) !== 0) return false;
  return noGeneratedContent(el);
}
// Elements drawn as boxes of their own among the lines: a block holding one keeps breaking
// inside words (its box may be what overflows).
var boxes = [];
function noteBox(el, s) {
  if (s.display !== 'inline' && s.display !== 'none' && el.tagName !== 'IMG') boxes.push(el);
}
// The <br>s inside el where the run may be cut (none unless el may be split), or null when el
// holds more than inline content.
function breaksIn(el, splitHere) {
  var found = [];
  for (var n = el.firstChild; n; n = n.nextSibling) {
    if (n.nodeType !== 1) continue;
    var s = style(n), d = s.display;
    if (d === 'none') continue;
    if (outOfFlow(s)) return null;
    noteBox(n, s);
    if (d !== 'inline') {
      if (d.indexOf('inline') === 0) continue; // an atomic inline: a box of its own
      return null;
    }
    if (n.tagName === 'BR') {
      if (splitHere) found.push(n);
      continue;
    }
    var inner = breaksIn(n, splitHere && splittable(n, s));
    if (inner === null) return null;
    for (var i = 0; i < inner.length; ++i) found.push(inner[i]);
  }
  return found;
}
// Selectors that see an element's siblings or parent would see the new blocks.
var structural = [];
var POSITIONAL = /:(?:first|last|only)-(?:child|of-type)|:nth-(?:last-)?(?:child|of-type)\([^)]*\)/g;
// Lengths by the viewport, rules by medium, size or page: the width measured on screen may not
// be the printed one.
var VIEWPORT_UNITS = /[\d.](?:[sld]?v|cq)(?:w|h|i|b|min|max)\b/i;
var printLike = true;
// Whether a rule or a style attribute may give a <br> a box other than a plain line end: if not,
// its style need not be read (which costs more than the rest of the planning).
var brsStyled = document.querySelector('br[style]') !== null;
function mayStyleBrs(selector) {
  try {
    return document.querySelector('br:is(' + selector + ')') !== null;
  } catch (e) {
    return true;
  }
}
try {
  var visit = function (rules, nested) {
    for (var i = 0; i < rules.length; ++i) {
      var rule = rules[i];
      if (rule.selectorText && /[>+~]|:(first|last|nth|only|empty|has)/.test(rule.selectorText))
        structural.push(rule.selectorText);
      // A nested rule's selector is relative to the rule around it: it may reach any <br>.
      if (rule.selectorText && !brsStyled && (nested || mayStyleBrs(rule.selectorText)))
        brsStyled = true;
      if (!(rule instanceof CSSStyleRule) && !(rule instanceof CSSFontFaceRule))
        printLike = false;
      else if (VIEWPORT_UNITS.test(rule.cssText))
        printLike = false;
      if (rule.cssRules) visit(rule.cssRules, nested || rule instanceof CSSStyleRule);
    }
  };
  for (var i = 0; i < document.styleSheets.length; ++i) {
    var sheet = document.styleSheets[i];
    if (sheet.media && sheet.media.length) printLike = false;
    visit(sheet.cssRules, false);
  }
} catch (e) {
  return 0; // a style sheet it cannot read may hold such selectors
}
var styled = document.querySelectorAll('[style]');
for (var i = 0; i < styled.length && printLike; ++i)
  if (VIEWPORT_UNITS.test(styled[i].getAttribute('style'))) printLike = false;
// Where each <br> ends a line: the nearest ancestor that is not inline.
var counts = new Map();
var brs = Array.prototype.slice.call(document.getElementsByTagName('br'));
for (var b = 0; b < brs.length; ++b) {
  var p = brs[b].parentNode;
  while (p && p.nodeType === 1 && css(p).display === 'inline') p = p.parentNode;
  if (p && p.nodeType === 1) counts.set(p, (counts.get(p) || 0) + 1);
}
var plans = [];
counts.forEach(function (count, container) {
  if (count < 2 * LINES) return;
  var cs = css(container);
  if (!CONTAINERS[cs.display] || parseInt(cs.orphans, 10) > LINES / 2
      || parseInt(cs.widows, 10) > LINES / 2)
    return;
  for (var k = 0; k < structural.length; ++k) {
    // A block's first and last lines are new first and last children: a rule for a position
    // counts wherever its element is. One that sees inside (:has) may see the container.
    if (/:has\(/.test(structural[k])) return;
    try {
      if (container.querySelector(structural[k].replace(POSITIONAL, ''))) return;
    } catch (e) {
      return; // nothing left of the selector but the position
    }
  }
  var runs = [], run = null;
  var close = function () {
    if (run && run.safe && run.breaks.length >= 2 * LINES) runs.push(run);
    run = null;
  };
  for (var n = container.firstChild; n; n = n.nextSibling) {
    var s = n.nodeType === 1 ? style(n) : null;
    if (s && !outOfFlow(s) && BLOCK_LEVEL[s.display]) {
      close();
      continue;
    }
    if (s && s.display !== 'none' && s.display.indexOf('inline') !== 0 && !outOfFlow(s)) {
      close(); // a box of a kind not known here: nothing around it is cut
      run = {nodes: [n], breaks: [], safe: false};
      close();
      continue;
    }
    if (!run) run = {nodes: [], breaks: [], safe: true, first: n === container.firstChild};
    run.nodes.push(n);
    if (!s || s.display === 'none') continue;
    noteBox(n, s);
    if (outOfFlow(s)) {
      run.safe = false;
    } else if (n.tagName === 'BR') {
      run.breaks.push(n);
    } else if (s.display === 'inline') {
      var inner = breaksIn(n, splittable(n, s));
      if (inner === null) run.safe = false;
      else for (var i = 0; i < inner.length; ++i) run.breaks.push(inner[i]);
    }
  }
  close();
  if (runs.length)
    plans.push({container: container, runs: runs, horizontal: cs.writingMode === 'horizontal-tb'});
});
var blocks = [], relaxable = [];
// One range for all: every live range is updated on each change of the document.
var range = document.createRange();
function wrap(from, to, first, last, indent, horizontal) {
  var block = document.createElement('pw-lines');
  // An anonymous block's style: inherited properties inherited, the others at their start.
  block.style.cssText = 'all: unset; display: block;' + (first ? '' : 'orphans: 1;')
      + (last ? '' : 'widows: 1;') + (indent ? '' : 'text-indent: 0;');
  var parent = from.parentNode;
  if (to.parentNode === parent) {
    // Siblings only: moved as they are, into the block before it joins the page.
    var next = to.nextSibling;
    for (var n = from, following; ; n = following) {
      following = n.nextSibling;
      block.appendChild(n);
      if (n === to) break;
    }
    parent.insertBefore(block, next);
  } else {
    // The cut lies inside an element: the range splits it in two.
    range.setStartBefore(from);
    range.setEndAfter(to);
    block.appendChild(range.extractContents());
    range.insertNode(block);
  }
  blocks.push(block);
  if (horizontal) relaxable.push(block);
  return block;
}
plans.forEach(function (plan) {
  var container = plan.container;
  plan.runs.forEach(function (run) {
    var from = run.nodes[0];
    var n = run.breaks.length;
    var first = true;
    for (var i = LINES - 1; i <= n - 1 - LINES / 2; i += LINES) {
      // The cut goes after the <br> and after every element that ends with it.
      var end = run.breaks[i];
      while (end.parentNode !== container && !end.nextSibling) end = end.parentNode;
      var block = wrap(from, end, first, false, first && run.first, plan.horizontal);
      from = block.nextSibling;
      first = false;
    }
    wrap(from, run.nodes[run.nodes.length - 1], false, true, false, plan.horizontal);
  });
});
// Breaking inside words (overflow-wrap) costs much of the print layout's time and memory, and
// changes no line of a block where every word fits. Which blocks those are is measured at the
// printed width less 2 % (more than any rounding between the two layouts), in horizontal
// blocks of plain inline content, on pages whose look cannot differ between screen and print.
var boxed = new Set(boxes.map(function (box) { return box.closest('pw-lines'); }));
relaxable = relaxable.filter(function (block) { return !boxed.has(block); });
if (relaxable.length && printLike && document.fonts.status === 'loaded') {
  var root = document.documentElement;
  var width = root.style.width;
  var zoom = parseFloat(css(root).zoom) || 1;
  root.style.width = (PRINTABLE_WIDTH * 0.98 / zoom) + 'px';
  relaxable.forEach(function (block) { block.style.overflowWrap = 'normal'; });
  // Read all before the first change: one layout in all.
  var overflowing = relaxable.filter(function (block) {
    return block.scrollWidth > block.clientWidth;
  });
  // A font this layout asked for draws other widths than the one measured with.
  (document.fonts.status === 'loaded' ? overflowing : relaxable).forEach(function (block) {
    block.style.removeProperty('overflow-wrap');
  });
  // The width goes back just before printing: changed here, it would have the load's end lay
  // the whole page out once more, for nothing.
  window.paperwakeWidth = width;
}
return blocks.length;
})())JS");
    return script.replace(QStringLiteral("PRINTABLE_WIDTH"), QString::number(printableWidthPx));
}

} // namespace renderengine
