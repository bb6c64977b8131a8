// The page's side of the web layer (platform/web/page.h): the canvas, full
// screen, the start-up dialog, the message boxes and the end card, as
// elements of index.html. Calls that wait suspend the program with Asyncify.
mergeInto(LibraryManager.library, {
  $VelmoraPage: {
    dialog: null,      // the dialog element while it is open
    controls: [],      // its controls, template order
    events: [],        // what the viewer did, not yet taken
    waiting: null,     // the program's wake-up while it waits for one
    modal: false,      // a box or the dialog holds the keys
    fullScreen: false,
    pictureWidth: 0,
    pictureHeight: 0,
    listening: false,

    element: function(id) { return document.getElementById(id); },

    // Browsers start sound only after a gesture on the page: every click
    // and key in the dialog or a box is one.
    unlockAudio: function() {
      var sdl = Module['SDL2'];
      // The show may end and close the context before it resumes.
      if (sdl && sdl.audioContext && sdl.audioContext.state === 'suspended')
        sdl.audioContext.resume().catch(function() {});
    },

    // The Windows virtual key for a key on the page; 0 for keys nothing uses.
    virtualKey: function(e) {
      var named = {'Escape': 0x1B, 'Enter': 0x0D, 'NumpadEnter': 0x0D, 'Tab': 0x09, 'Space': 0x20,
                   'Backspace': 0x08, 'ArrowLeft': 0x25, 'ArrowUp': 0x26, 'ArrowRight': 0x27,
                   'ArrowDown': 0x28, 'ShiftLeft': 0x10, 'ShiftRight': 0x10, 'ControlLeft': 0x11,
                   'ControlRight': 0x11, 'AltLeft': 0x12, 'AltRight': 0x12};
      if (e.code in named) return named[e.code];
      var m = /^Key([A-Z])$/.exec(e.code) || /^Digit([0-9])$/.exec(e.code);
      if (m) return m[1].charCodeAt(0);
      m = /^F([0-9]+)$/.exec(e.code);
      if (m && +m[1] >= 1 && +m[1] <= 12) return 0x70 + (+m[1] - 1);
      return 0;
    },

    push: function(event) {
      VelmoraPage.unlockAudio();
      if (VelmoraPage.waiting) {
        var wake = VelmoraPage.waiting;
        VelmoraPage.waiting = null;
        wake(event);
      } else {
        VelmoraPage.events.push(event);
      }
    },

    // Keys go to the window while no box or dialog holds them.
    listen: function() {
      if (VelmoraPage.listening) return;
      VelmoraPage.listening = true;
      var forward = function(e, down) {
        if (VelmoraPage.modal || !VelmoraPage.element('velmora-canvas').classList.contains('shown')) return;
        var vk = VelmoraPage.virtualKey(e);
        if (!vk) return;
        e.preventDefault();
        Module['_velmora_web_key'](vk, down, e.altKey ? 1 : 0);
      };
      document.addEventListener('keydown', function(e) { forward(e, 1); });
      document.addEventListener('keyup', function(e) { forward(e, 0); });
      window.addEventListener('pagehide', function() { Module['_velmora_web_close'](); });
      var canvas = VelmoraPage.element('velmora-canvas');
      new ResizeObserver(function() {
        if (VelmoraPage.fullScreen || !canvas.classList.contains('shown')) return;
        var w = Math.round(canvas.clientWidth), h = Math.round(canvas.clientHeight);
        if (w > 0 && h > 0 && (w !== canvas.width || h !== canvas.height)) {
          canvas.width = w;
          canvas.height = h;
          Module['_velmora_web_resize'](w, h);
        }
      }).observe(canvas);
      window.addEventListener('resize', VelmoraPage.fit);
    },

    // Full screen: the picture as large as the screen allows, its shape kept.
    fit: function() {
      var canvas = VelmoraPage.element('velmora-canvas');
      if (!VelmoraPage.fullScreen) return;
      var stage = VelmoraPage.element('velmora-stage');
      var sw = stage.clientWidth, sh = stage.clientHeight;
      var w = sw, h = Math.floor(sw * VelmoraPage.pictureHeight / VelmoraPage.pictureWidth);
      if (h > sh) { h = sh; w = Math.floor(sh * VelmoraPage.pictureWidth / VelmoraPage.pictureHeight); }
      canvas.style.width = w + 'px';
      canvas.style.height = h + 'px';
    },

    // A window-like frame: a caption bar and a body.
    frame: function(caption, closeBox) {
      var frame = document.createElement('div');
      frame.className = 'velmora-frame';
      frame.setAttribute('role', 'dialog');
      frame.setAttribute('aria-modal', 'true');
      var bar = document.createElement('div');
      bar.className = 'velmora-caption';
      var title = document.createElement('span');
      title.textContent = caption;
      bar.appendChild(title);
      if (closeBox) {
        var close = document.createElement('button');
        close.className = 'velmora-close';
        close.textContent = '\u00d7';
        close.tabIndex = -1;
        close.setAttribute('aria-label', 'Close');
        bar.appendChild(close);
        frame.closeBox = close;
      }
      frame.appendChild(bar);
      var body = document.createElement('div');
      body.className = 'velmora-body';
      frame.appendChild(body);
      frame.body = body;
      return frame;
    },

    overlay: function(frame) {
      var overlay = document.createElement('div');
      overlay.className = 'velmora-overlay';
      overlay.appendChild(frame);
      document.body.appendChild(overlay);
      return overlay;
    }
  },

  // SDL's audio calls the last two from its own scripts.
  velmora_page_show_canvas__deps: ['$VelmoraPage', '$autoResumeAudioContext', '$dynCall'],
  velmora_page_show_canvas: function(width, height, fullScreen) {
    var canvas = VelmoraPage.element('velmora-canvas');
    if (!canvas) return 0;
    VelmoraPage.listen();
    VelmoraPage.fullScreen = !!fullScreen;
    VelmoraPage.pictureWidth = width;
    VelmoraPage.pictureHeight = height;
    canvas.width = width;
    canvas.height = height;
    var stage = VelmoraPage.element('velmora-stage');
    stage.classList.toggle('full', !!fullScreen);
    if (fullScreen) {
      VelmoraPage.fit();
    } else {
      canvas.style.width = width + 'px';
      canvas.style.height = height + 'px';
    }
    canvas.classList.add('shown');
    canvas.focus();
    return 1;
  },

  velmora_page_hide_canvas__deps: ['$VelmoraPage'],
  velmora_page_hide_canvas: function() {
    var canvas = VelmoraPage.element('velmora-canvas');
    if (canvas) canvas.classList.remove('shown');
  },

  velmora_page_full_screen__deps: ['$VelmoraPage'],
  velmora_page_full_screen: function(on) {
    var stage = VelmoraPage.element('velmora-stage');
    if (!stage) return 0;
    if (!on) {
      VelmoraPage.fullScreen = false;
      stage.classList.remove('full');
      if (document.fullscreenElement && document.exitFullscreen) document.exitFullscreen().catch(function() {});
      return 1;
    }
    // Refused (no gesture, or an embedding page forbids it), the picture
    // still fills the page.
    if (stage.requestFullscreen) stage.requestFullscreen().catch(function() {});
    return 1;
  },

  velmora_page_screen: function(width, height, depth) {
    HEAP32[width >> 2] = window.screen.width;
    HEAP32[height >> 2] = window.screen.height;
    HEAP32[depth >> 2] = window.screen.colorDepth || 24;
  },

  velmora_page_next_frame: function() {
    return Asyncify.handleSleep(function(wakeUp) {
      requestAnimationFrame(function() { wakeUp(); });
    });
  },

  velmora_page_message_box__deps: ['$VelmoraPage'],
  velmora_page_message_box: function(caption, text, icon) {
    caption = UTF8ToString(caption);
    text = UTF8ToString(text);
    return Asyncify.handleSleep(function(wakeUp) {
      var frame = VelmoraPage.frame(caption, true);
      frame.classList.add('velmora-box');
      var row = document.createElement('div');
      row.className = 'velmora-box-row';
      var mark = document.createElement('div');
      mark.className = 'velmora-icon ' + (icon === 0x10 ? 'error' : icon === 0x30 ? 'warning' : 'information');
      mark.textContent = icon === 0x10 ? '\u00d7' : icon === 0x30 ? '!' : 'i';
      var message = document.createElement('p');
      message.className = 'velmora-message';
      message.textContent = text;
      row.appendChild(mark);
      row.appendChild(message);
      frame.body.appendChild(row);
      var ok = document.createElement('button');
      ok.className = 'velmora-button default focused';
      ok.textContent = 'OK';
      frame.body.appendChild(ok);
      var wasModal = VelmoraPage.modal;
      VelmoraPage.modal = true;
      var overlay = VelmoraPage.overlay(frame);
      var done = false;
      var finish = function() {
        if (done) return;
        done = true;
        VelmoraPage.unlockAudio();
        document.removeEventListener('keydown', onKey, true);
        overlay.remove();
        VelmoraPage.modal = wasModal;
        wakeUp();
      };
      // Enter, Esc and Space all mean OK: the box has no other button.
      var onKey = function(e) {
        e.stopPropagation();
        if (e.key === 'Enter' || e.key === 'Escape' || e.key === ' ') {
          e.preventDefault();
          finish();
        } else if (e.key === 'Tab') {
          e.preventDefault();
        }
      };
      document.addEventListener('keydown', onKey, true);
      ok.addEventListener('click', finish);
      frame.closeBox.addEventListener('click', finish);
      ok.focus();
    });
  },

  velmora_page_dialog_open__deps: ['$VelmoraPage'],
  velmora_page_dialog_open: function(caption, width, height) {
    var frame = VelmoraPage.frame(UTF8ToString(caption), true);
    frame.classList.add('velmora-dialog');
    frame.id = 'velmora-dialog';
    frame.body.style.width = width + 'px';
    frame.body.style.height = height + 'px';
    frame.closeBox.addEventListener('click', function() { VelmoraPage.push(0x80000); });
    VelmoraPage.dialog = frame;
    VelmoraPage.controls = [];
    VelmoraPage.events = [];
    VelmoraPage.modal = true;
    VelmoraPage.dialogKeys = function(e) {
      var vk = {'Tab': 0x09, 'Enter': 0x0D, 'NumpadEnter': 0x0D, 'Escape': 0x1B, 'Space': 0x20,
                'F4': 0x73}[e.code];
      if (!vk) return;
      e.preventDefault();
      e.stopPropagation();
      VelmoraPage.push(0x10000 | vk | (e.shiftKey ? 0x20000 : 0) | (e.altKey ? 0x40000 : 0));
    };
    document.addEventListener('keydown', VelmoraPage.dialogKeys, true);
    VelmoraPage.overlay(frame);
    VelmoraPage.element('velmora-loading').classList.add('hidden');
  },

  velmora_page_dialog_add__deps: ['$VelmoraPage'],
  velmora_page_dialog_add: function(index, text, kind, x, y, width, height) {
    var label = UTF8ToString(text);
    var control;
    if (kind === 2) {
      control = document.createElement('label');
      control.className = 'velmora-check';
      var box = document.createElement('span');
      box.className = 'velmora-check-box';
      var caption = document.createElement('span');
      caption.textContent = label;
      control.appendChild(box);
      control.appendChild(caption);
      control.setAttribute('role', 'checkbox');
    } else {
      control = document.createElement('button');
      control.className = 'velmora-button' + (kind === 1 ? ' default' : '');
      control.textContent = label;
    }
    // The dialog manager moves the focus; the page only shows where it is.
    control.tabIndex = -1;
    control.dataset.index = index;
    control.style.left = x + 'px';
    control.style.top = y + 'px';
    control.style.width = width + 'px';
    control.style.height = height + 'px';
    control.addEventListener('mousedown', function(e) { e.preventDefault(); });
    control.addEventListener('click', function(e) {
      e.preventDefault();
      VelmoraPage.push(index);
    });
    VelmoraPage.dialog.body.appendChild(control);
    VelmoraPage.controls[index] = control;
  },

  velmora_page_dialog_show__deps: ['$VelmoraPage'],
  velmora_page_dialog_show: function(index, checked, focused) {
    var control = VelmoraPage.controls[index];
    if (!control) return;
    control.classList.toggle('checked', !!checked);
    control.classList.toggle('focused', !!focused);
    if (control.getAttribute('role') === 'checkbox') control.setAttribute('aria-checked', checked ? 'true' : 'false');
  },

  velmora_page_dialog_next__deps: ['$VelmoraPage'],
  velmora_page_dialog_next: function() {
    return Asyncify.handleSleep(function(wakeUp) {
      if (VelmoraPage.events.length) {
        var event = VelmoraPage.events.shift();
        setTimeout(function() { wakeUp(event); }, 0);
      } else {
        VelmoraPage.waiting = wakeUp;
      }
    });
  },

  velmora_page_dialog_close__deps: ['$VelmoraPage'],
  velmora_page_dialog_close: function() {
    if (!VelmoraPage.dialog) return;
    document.removeEventListener('keydown', VelmoraPage.dialogKeys, true);
    VelmoraPage.dialog.parentNode.remove();
    VelmoraPage.dialog = null;
    VelmoraPage.controls = [];
    VelmoraPage.modal = false;
  },

  velmora_page_end_card__deps: ['$VelmoraPage'],
  velmora_page_end_card: function() {
    var canvas = VelmoraPage.element('velmora-canvas');
    if (canvas) canvas.classList.remove('shown');
    var stage = VelmoraPage.element('velmora-stage');
    if (stage) stage.classList.remove('full');
    if (document.fullscreenElement && document.exitFullscreen) document.exitFullscreen().catch(function() {});
    VelmoraPage.element('velmora-loading').classList.add('hidden');
    VelmoraPage.element('velmora-end').classList.remove('hidden');
  }
});
