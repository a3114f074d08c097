#pragma once

/* The title library: reads and writes the title stored inside an MP4 video
 * (the handheld's own title entry, kept in step with a standard title tag).
 *
 * Every call takes the handle made by TitleLibCreate. At most one file is
 * open on a handle at a time. Paths are UTF-8, titles NUL-terminated UTF-16.
 * Strings the library returns belong to it and stay valid until the next
 * call on the same handle. Calls that can fail return non-zero on success;
 * TitleLibErrorText then describes the last failure in one line that names
 * the file. A handle is used by one thread at a time. */

#ifdef __cplusplus
extern "C" {
#else
#include <uchar.h>
#endif

typedef struct TitleLib TitleLib;

/* A new handle; NULL only when memory is exhausted. */
TitleLib* TitleLibCreate(void);

/* Opens the video at `path` and reads its title. Closes a file left open.
 * Fails, with an error text, on anything that is not a well-formed video. */
int TitleLibOpen(TitleLib* lib, const char* path);

/* Stores the title given to TitleLibSetTitle (else the title read) in the
 * open file, crash-safely: after a failure the file holds the old title,
 * after a crash the old or the new one, and it always takes the next save.
 * Saves of one file wait for each other (an advisory lock); a file changed
 * since it was opened is refused. The media data is never written, and a
 * save of the title the file holds writes nothing. */
int TitleLibSave(TitleLib* lib);

/* The title the next TitleLibSave stores. Fails when no file is open. */
int TitleLibSetTitle(TitleLib* lib, const char16_t* title);

/* The open file's title (possibly empty); an empty string when no file is
 * open. */
const char16_t* TitleLibGetTitle(TitleLib* lib);

/* The text of the last failed open or save; empty when there was none. */
const char* TitleLibErrorText(TitleLib* lib);

/* Forgets the last error text. */
void TitleLibClearError(TitleLib* lib);

/* Closes the open file, if any. */
void TitleLibClose(TitleLib* lib);

/* Closes any open file and frees the handle. NULL is allowed. */
void TitleLibDestroy(TitleLib* lib);

#ifdef __cplusplus
}
#endif
