;;; check_emacs.el --- editors/emacs/korvane.el used in a batch Emacs  -*- lexical-binding: t; -*-

;; Loaded after korvane.el, with Debian's eglot and dap-mode activated as
;; Emacs does at start-up and the korvane programs on PATH.  It uses the
;; setup as a student does: a new .kasm file that is not saved gets
;; korvane-mode, the server and its diagnostics through flymake; the quick
;; fix is applied with eglot-code-actions; the saved program is debugged
;; through the registered template, stopping at a breakpoint and stepping.
;; Exits with status 1 on any failure.

(require 'cl-lib)
(require 'flymake)

(defvar check-failures 0)

(defun check (ok what &optional detail)
  (unless ok
    (setq check-failures (1+ check-failures))
    (message "FAIL: %s%s" what (if detail (format "\n  %S" detail) ""))))

(defun check-wait (predicate &optional seconds)
  "Let processes and timers run until PREDICATE holds; its value, or nil.
A batch Emacs is never idle, so its idle timers (eglot sends a change
with one) run here, as they do when a student stops typing."
  (let ((end (+ (float-time) (or seconds 15))) value)
    (while (and (not (setq value (funcall predicate))) (< (float-time) end))
      (mapc #'timer-event-handler (copy-sequence timer-idle-list))
      (accept-process-output nil 0.05))
    value))

(defun check-messages ()
  (sort (mapcar (lambda (d)
                  (format "%d: %s" (line-number-at-pos (flymake-diagnostic-beg d))
                          (flymake-diagnostic-text d)))
                (flymake-diagnostics))
        #'string<))

(defun check-line (n)
  (save-excursion
    (goto-char (point-min))
    (forward-line (1- n))
    (buffer-substring-no-properties (point) (line-end-position))))

(let* ((folder (getenv "KORVANE_SCRATCH"))
       (file (expand-file-name "new.kasm" folder)))
  ;; A new file: korvane-mode and the server, started by the command loop
  ;; after the command that opened it, as eglot-ensure does.
  (find-file file)
  (check (not (file-exists-p file)) "the file is new, not on disk")
  (check (eq major-mode 'korvane-mode) "a .kasm file opens in korvane-mode" major-mode)
  (run-hooks 'post-command-hook)
  (check (check-wait (lambda () (eglot-current-server))) "eglot starts korvane-lsp")

  (insert "\tINP\n\tSTA\tfirst\n\tINP\n\tADD\tfirst\n\toupt\n\tHLT\nfirst\tDAT\n")
  (check (check-wait (lambda ()
                       (equal (check-messages)
                              '("5: korvane [unknown-mnemonic]: 'oupt' is not an instruction; did you mean out?"))))
         "flymake shows the diagnostic of the unsaved text" (check-messages))

  ;; The quick fix at the mistake.
  (goto-char (point-min))
  (forward-line 4)
  (forward-char 1)
  (eglot-code-actions (point) nil "quickfix" t)
  (check (equal (check-line 5) "\tout") "the quick fix replaces the word" (check-line 5))
  (check (check-wait (lambda () (null (flymake-diagnostics))))
         "the fixed program has no diagnostics" (check-messages))

  ;; The debugger: a breakpoint on the ADD line, the template as the student
  ;; picks it, with the values to type.
  (save-buffer)
  (goto-char (point-min))
  (forward-line 3)
  (dap-breakpoint-toggle)
  (let* ((template (cdr (assoc "Korvane: debug the program" dap-debug-template-configurations)))
         (configuration (plist-put (copy-tree template) :input "3 4"))
         (stopped-line
          (lambda ()
            (let ((session (dap--cur-session)))
              (and session (dap--debug-session-thread-id session)
                   (dap--debug-session-active-frame session)
                   (gethash "line" (dap--debug-session-active-frame session)))))))
    (check template "dap-debug offers the Korvane template")
    (check (equal (plist-get template :program) "${file}") "the template debugs the current file")
    (dap-debug configuration)
    (check (equal (check-wait stopped-line) 1) "stopped on entry" (funcall stopped-line))
    (call-interactively #'dap-continue)
    (check (equal (check-wait (lambda () (equal (funcall stopped-line) 4))) t)
           "the breakpoint is hit" (funcall stopped-line))
    (call-interactively #'dap-next)
    (check (equal (check-wait (lambda () (equal (funcall stopped-line) 5))) t)
           "a step goes to the next line" (funcall stopped-line))
    (call-interactively #'dap-continue)
    (let ((output (lambda ()
                    (let ((buffer (dap--debug-session-output-buffer (dap--cur-session))))
                      (and buffer (with-current-buffer buffer (buffer-string)))))))
      (check (check-wait (lambda () (string-match-p "^7$" (or (funcall output) ""))))
             "the program's output reaches the debug console" (funcall output)))))

(message "%s" (if (zerop check-failures) "all passed" (format "%d failed" check-failures)))
(kill-emacs (if (zerop check-failures) 0 1))
