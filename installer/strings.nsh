; The installer's texts in its three languages (English first: every other
; language gets it).
LangString DisplayName ${LANG_ENGLISH} "OSTREL Streaming Assistant"
LangString DisplayName ${LANG_SIMPCHINESE} "OSTREL 串流助手"
LangString DisplayName ${LANG_JAPANESE} "OSTREL ストリーミングアシスタント"

LangString ShortcutName ${LANG_ENGLISH} "OSTREL Streaming Assistant"
LangString ShortcutName ${LANG_SIMPCHINESE} "OSTREL 串流助手"
LangString ShortcutName ${LANG_JAPANESE} "OSTREL ストリーミングアシスタント"

LangString UninstallShortcut ${LANG_ENGLISH} "Uninstall OSTREL Streaming Assistant"
LangString UninstallShortcut ${LANG_SIMPCHINESE} "卸载 OSTREL 串流助手"
LangString UninstallShortcut ${LANG_JAPANESE} "OSTREL ストリーミングアシスタントのアンインストール"

LangString ClosingProgram ${LANG_ENGLISH} "OSTREL Streaming Assistant is running: asking it to close..."
LangString ClosingProgram ${LANG_SIMPCHINESE} "OSTREL 串流助手正在运行，正在请它关闭……"
LangString ClosingProgram ${LANG_JAPANESE} "OSTREL ストリーミングアシスタントが実行中です。終了を要求しています..."

LangString EndingProgram ${LANG_ENGLISH} "OSTREL Streaming Assistant did not close within 15 seconds and will be ended now."
LangString EndingProgram ${LANG_SIMPCHINESE} "OSTREL 串流助手在 15 秒内没有关闭，现在将结束它。"
LangString EndingProgram ${LANG_JAPANESE} "OSTREL ストリーミングアシスタントが 15 秒以内に終了しなかったため、強制終了します。"

LangString ProgramStillRuns ${LANG_ENGLISH} "OSTREL Streaming Assistant could not be ended. Close it and run the setup again."
LangString ProgramStillRuns ${LANG_SIMPCHINESE} "无法结束 OSTREL 串流助手。请关闭它后重新运行安装程序。"
LangString ProgramStillRuns ${LANG_JAPANESE} "OSTREL ストリーミングアシスタントを終了できませんでした。終了してからもう一度セットアップを実行してください。"

LangString FilesInUse ${LANG_ENGLISH} "The program's files are still in use. Nothing was changed; restart Windows and run the setup again."
LangString FilesInUse ${LANG_SIMPCHINESE} "程序文件仍在使用中，未做任何更改。请重新启动 Windows 后再运行安装程序。"
LangString FilesInUse ${LANG_JAPANESE} "プログラムのファイルが使用中です。何も変更していません。Windows を再起動してからもう一度セットアップを実行してください。"
