/* Asks one JACK client to save its session (JACK's session protocol, as a session manager
 * does) and prints the command line it answers. Used by scripts/host-check.sh to make
 * qtractor save without driving its windows.
 *
 *   jack-session-save CLIENT DIRECTORY [quit]     (CLIENT "" asks every client)
 *
 * DIRECTORY must end in a slash; "quit" asks the client to quit after saving. Exits 0 when the
 * client answered without a save error.
 */
#include <jack/jack.h>
#include <jack/session.h>
#include <stdio.h>
#include <string.h>

int main(int argc, char** argv)
{
  if (argc < 3)
  {
    fprintf(stderr, "usage: jack-session-save CLIENT DIRECTORY [quit]\n");
    return 2;
  }
  const jack_session_event_type_t type =
    argc > 3 && strcmp(argv[3], "quit") == 0 ? JackSessionSaveAndQuit : JackSessionSave;
  jack_client_t* client = jack_client_open("host-check-session", JackNoStartServer, NULL);
  if (!client)
  {
    fprintf(stderr, "jack-session-save: no JACK server\n");
    return 1;
  }
  jack_session_command_t* replies =
    jack_session_notify(client, argv[1][0] ? argv[1] : NULL, type, argv[2]);
  int answered = 0;
  int failed = 0;
  for (jack_session_command_t* r = replies; r && r->uuid; r++)
  {
    printf("%s: %s\n", r->client_name, r->command);
    answered++;
    if (r->flags & JackSessionSaveError)
      failed = 1;
  }
  if (replies)
    jack_session_commands_free(replies);
  jack_client_close(client);
  if (!answered)
    fprintf(stderr, "jack-session-save: %s did not answer\n", argv[1]);
  return answered && !failed ? 0 : 1;
}
