// Small page touches for readers who open the page in a browser.
// Does nothing when jQuery did not load (the converter blocks local files).
(function (window) {
  'use strict';
  var $ = window.jQuery;
  if (!$) {
    return;
  }
  $(function () {
    // Glide to in-page anchors instead of jumping.
    $('a[href^="#"]').not('[href="#"]').on('click', function (event) {
      // Looked up by id, not as a selector: an odd address must not throw.
      var target = document.getElementById(this.getAttribute('href').slice(1));
      if (!target) {
        return;
      }
      event.preventDefault();
      $('html, body').animate({ scrollTop: $(target).offset().top }, 400);
    });
    // Links that leave the page open in a new tab, so the article stays open.
    $('a[href^="http"]').attr({ target: '_blank', rel: 'noopener' });
  });
})(window);
