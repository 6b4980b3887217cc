;;; emacs_test.el --- Emacs with eglot against scenario-tool lsp  -*- lexical-binding: t -*-
;; The mistake's diagnostic where it stands, a hover, and a shutdown that
;; the server answers.
(require 'eglot)
(require 'flymake)

(define-derived-mode scenario-train-mode fundamental-mode "Scenario")
(modify-coding-system-alist 'file "-\\.txt\\'" 'windows-1252)

(defun scenario-test-wait (what predicate)
  (let ((deadline (+ (float-time) 20)))
    (while (and (not (funcall predicate)) (< (float-time) deadline))
      (accept-process-output nil 0.05))
    (unless (funcall predicate) (error "%s did not happen" what))))

(let ((file (getenv "LSP_TEST_FILE"))
      (tool (getenv "SCENARIO_TOOL"))
      (status 1))
  (add-to-list 'eglot-server-programs `(scenario-train-mode . (,tool "lsp")))
  (condition-case failure
      (progn
        (find-file file)
        (scenario-train-mode)
        (eglot-ensure)
        ;; In batch, eglot-ensure waits for a command to end.
        (run-hooks 'post-command-hook)
        (scenario-test-wait "the connection" #'eglot-current-server)
        (scenario-test-wait "diagnostics" #'flymake-diagnostics)
        (let ((found (flymake-diagnostics)))
          (unless (= (length found) 1) (error "diagnostics: %S" found))
          (let ((d (car found)))
            (unless (= (line-number-at-pos (flymake-diagnostic-beg d)) 13)
              (error "diagnostic on line %d" (line-number-at-pos (flymake-diagnostic-beg d))))
            (save-excursion
              (goto-char (flymake-diagnostic-beg d))
              (unless (and (bolp) (= (- (flymake-diagnostic-end d) (flymake-diagnostic-beg d)) 7))
                (error "diagnostic from column %d, %d long" (current-column)
                       (- (flymake-diagnostic-end d) (flymake-diagnostic-beg d)))))
            (unless (eq (flymake-diagnostic-type d) 'eglot-warning)
              (error "diagnostic of type %S" (flymake-diagnostic-type d)))
            (unless (string-match-p "did you mean 'stazione'" (flymake-diagnostic-text d))
              (error "diagnostic says %s" (flymake-diagnostic-text d)))))
        (let* ((server (eglot-current-server))
               (hover (jsonrpc-request server :textDocument/hover
                                       (list :textDocument (eglot--TextDocumentIdentifier)
                                             :position (list :line 11 :character 2)))))
          (unless (string-match-p "\\*\\*stazione\\*\\*" (plist-get (plist-get hover :contents) :value))
            (error "hover: %S" hover))
          ;; shutdown is a request: eglot-shutdown waits for its answer.
          (let ((process (jsonrpc--process server)))
            (eglot-shutdown server)
            (scenario-test-wait "the end of the server" (lambda () (not (process-live-p process))))))
        (setq status 0)
        (princ "emacs: diagnostics, hover and shutdown as expected\n"))
    (error (princ (format "emacs: %s\n" (error-message-string failure)) #'external-debugging-output)))
  (kill-emacs status))
