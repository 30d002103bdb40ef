;;; korvane.el --- Korvane assembly programs in Emacs  -*- lexical-binding: t; -*-

;; A major mode for .kasm files, korvane-lsp's diagnostics, quick fixes,
;; hover, completion and labels through eglot, and korvane-dap through
;; dap-mode. Emacs 28 needs Debian's packages for the last two:
;;
;;     sudo apt install elpa-eglot elpa-dap-mode
;;
;; (Emacs 29 has eglot built in.)  Then, in ~/.emacs.d/init.el:
;;
;;     (load "/path/to/editors/emacs/korvane.el")
;;
;; Diagnostics show as you type (M-x flymake-show-buffer-diagnostics lists
;; them); M-x eglot-code-actions applies a quick fix; M-. goes to a label;
;; completion-at-point (C-M-i) completes mnemonics and labels.  To debug,
;; put a breakpoint with M-x dap-breakpoint-toggle and start
;; M-x dap-debug "Korvane: debug the program".

(defgroup korvane nil
  "Korvane assembly programs."
  :group 'languages)

(defcustom korvane-lsp-program "korvane-lsp"
  "The language server: a name looked up on `exec-path', or a full path."
  :type 'string)

(defcustom korvane-dap-program "korvane-dap"
  "The debug adapter: a name looked up on `exec-path', or a full path."
  :type 'string)

(defconst korvane-mnemonics
  '("ADD" "SUB" "MUL" "DIV" "STA" "LDA" "BRA" "BRZ" "BRP" "BRN" "BRG"
    "INP" "OUT" "HLT" "DAT")
  "The words of the language; upper and lower case are the same.")

(defvar korvane-font-lock-keywords
  `((,(concat "\\_<" (regexp-opt korvane-mnemonics) "\\_>") . font-lock-keyword-face)
    ("^\\(\\(?:\\sw\\|\\s_\\)+\\)" 1 font-lock-function-name-face)
    ("\\_<[-+]?[0-9]+\\_>" . font-lock-constant-face))
  "A mnemonic, a label where a line starts, and a number.")

;;;###autoload
(define-derived-mode korvane-mode prog-mode "Korvane"
  "Major mode for Korvane assembly programs."
  (setq-local font-lock-defaults '(korvane-font-lock-keywords nil t))
  (setq-local indent-tabs-mode t)
  (setq-local tab-width 8))

;;;###autoload
(add-to-list 'auto-mode-alist '("\\.kasm\\'" . korvane-mode))

(defvar eglot-server-programs)
(declare-function eglot-ensure "eglot" ())
(declare-function dap-register-debug-provider "dap-mode" (language-id provide-configuration-fn))
(declare-function dap-register-debug-template "dap-mode" (configuration-name configuration-settings))

;; The server is named once eglot is loaded (its list does not exist before),
;; and started for every korvane buffer, unless it is missing.
(with-eval-after-load 'eglot
  (add-to-list 'eglot-server-programs
               `(korvane-mode . (,korvane-lsp-program))))

(defun korvane-start-server ()
  "Start korvane-lsp for this buffer through eglot, or say what is missing."
  (cond ((not (require 'eglot nil t))
         (message "Korvane: eglot is not installed, so programs get no diagnostics or completion; on Emacs 28: sudo apt install elpa-eglot"))
        ((not (executable-find korvane-lsp-program))
         (message "Korvane: %s is not on PATH, so programs get no diagnostics or completion; install Korvane or set korvane-lsp-program"
                  korvane-lsp-program))
        (t (eglot-ensure))))

(add-hook 'korvane-mode-hook #'korvane-start-server)

;; The debugger, where dap-mode is installed: loaded with the first korvane
;; buffer, so that its commands (M-x dap-breakpoint-toggle and the like) are
;; there, with its markers of breakpoints and of the current line.
(defun korvane-start-debugger ()
  "Load dap-mode, when installed, with its markers in the buffer."
  (when (require 'dap-mode nil t)
    (dap-mode 1)
    (dap-ui-mode 1)))

(add-hook 'korvane-mode-hook #'korvane-start-debugger)

;; The debug type: dap-mode runs korvane-dap --stdio for it.  "${file}" is the
;; program in the current buffer.
(with-eval-after-load 'dap-mode
  (dap-register-debug-provider
   "korvane"
   (lambda (configuration)
     (plist-put configuration :dap-server-path (list korvane-dap-program "--stdio"))))
  (dap-register-debug-template
   "Korvane: debug the program"
   (list :type "korvane"
         :request "launch"
         :name "Korvane: debug the program"
         :program "${file}"
         :stopOnEntry t)))

(provide 'korvane)
;;; korvane.el ends here
