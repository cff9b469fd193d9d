/* An ALSA sequencer that is always there, for running qtractor on a machine without
 * /dev/snd/seq (scripts/host-check.sh preloads it with LD_PRELOAD).
 *
 * Every snd_seq_* call that needs a sequencer handle succeeds on a fake handle: ports and a
 * queue are created, events sent are dropped, no event ever arrives, no other client or port
 * exists. Calls that only read or write the caller's own info records (the *_get_*, *_set_* and
 * *_sizeof accessors) are left to the real libasound. Most stubs ignore their arguments (it is
 * built with -Wno-unused-parameter).
 */
#include <alsa/asoundlib.h>
#include <errno.h>
#include <string.h>
#include <unistd.h>

enum
{
  kClientId = 128
};

static char sFakeSeq[64];
static int sNextPort = 0;
static int sPipe[2] = {-1, -1};

int snd_seq_open(snd_seq_t** handle, const char* name, int streams, int mode)
{
  if (sPipe[0] < 0 && pipe(sPipe) != 0)
    return -errno;
  *handle = (snd_seq_t*)sFakeSeq;
  return 0;
}

int snd_seq_close(snd_seq_t* seq)
{
  return 0;
}

int snd_seq_client_id(snd_seq_t* seq)
{
  return kClientId;
}

int snd_seq_set_client_name(snd_seq_t* seq, const char* name)
{
  return 0;
}

int snd_seq_create_simple_port(snd_seq_t* seq, const char* name, unsigned int caps,
                               unsigned int type)
{
  return sNextPort++;
}

int snd_seq_delete_simple_port(snd_seq_t* seq, int port)
{
  return 0;
}

int snd_seq_alloc_queue(snd_seq_t* seq)
{
  return 0;
}

int snd_seq_free_queue(snd_seq_t* seq, int q)
{
  return 0;
}

int snd_seq_control_queue(snd_seq_t* seq, int q, int type, int value, snd_seq_event_t* ev)
{
  return 0;
}

int snd_seq_get_queue_status(snd_seq_t* seq, int q, snd_seq_queue_status_t* status)
{
  memset(status, 0, snd_seq_queue_status_sizeof());
  return 0;
}

int snd_seq_get_queue_tempo(snd_seq_t* seq, int q, snd_seq_queue_tempo_t* tempo)
{
  memset(tempo, 0, snd_seq_queue_tempo_sizeof());
  snd_seq_queue_tempo_set_tempo(tempo, 500000);
  snd_seq_queue_tempo_set_ppq(tempo, 96);
  snd_seq_queue_tempo_set_skew(tempo, 0x10000);
  snd_seq_queue_tempo_set_skew_base(tempo, 0x10000);
  return 0;
}

int snd_seq_set_queue_tempo(snd_seq_t* seq, int q, snd_seq_queue_tempo_t* tempo)
{
  return 0;
}

int snd_seq_set_queue_timer(snd_seq_t* seq, int q, snd_seq_queue_timer_t* timer)
{
  return 0;
}

int snd_seq_get_any_client_info(snd_seq_t* seq, int client, snd_seq_client_info_t* info)
{
  return -ENOENT;
}

/* Only this client's own ports exist. */
int snd_seq_get_any_port_info(snd_seq_t* seq, int client, int port, snd_seq_port_info_t* info)
{
  if (client != kClientId || port < 0 || port >= sNextPort)
    return -ENOENT;
  memset(info, 0, snd_seq_port_info_sizeof());
  snd_seq_port_info_set_client(info, client);
  snd_seq_port_info_set_port(info, port);
  return 0;
}

int snd_seq_get_port_info(snd_seq_t* seq, int port, snd_seq_port_info_t* info)
{
  return snd_seq_get_any_port_info(seq, kClientId, port, info);
}

int snd_seq_set_port_info(snd_seq_t* seq, int port, snd_seq_port_info_t* info)
{
  return 0;
}

int snd_seq_query_next_client(snd_seq_t* seq, snd_seq_client_info_t* info)
{
  return -ENOENT;
}

int snd_seq_query_next_port(snd_seq_t* seq, snd_seq_port_info_t* info)
{
  return -ENOENT;
}

int snd_seq_query_port_subscribers(snd_seq_t* seq, snd_seq_query_subscribe_t* subs)
{
  return -ENOENT;
}

int snd_seq_subscribe_port(snd_seq_t* seq, snd_seq_port_subscribe_t* sub)
{
  return 0;
}

int snd_seq_unsubscribe_port(snd_seq_t* seq, snd_seq_port_subscribe_t* sub)
{
  return 0;
}

int snd_seq_event_output(snd_seq_t* seq, snd_seq_event_t* ev)
{
  return 0;
}

int snd_seq_event_output_direct(snd_seq_t* seq, snd_seq_event_t* ev)
{
  return 0;
}

int snd_seq_drain_output(snd_seq_t* seq)
{
  return 0;
}

int snd_seq_drop_output(snd_seq_t* seq)
{
  return 0;
}

int snd_seq_drop_input(snd_seq_t* seq)
{
  return 0;
}

int snd_seq_remove_events(snd_seq_t* seq, snd_seq_remove_events_t* rmp)
{
  return 0;
}

int snd_seq_event_input(snd_seq_t* seq, snd_seq_event_t** ev)
{
  *ev = NULL;
  return -EAGAIN;
}

int snd_seq_event_input_pending(snd_seq_t* seq, int fetch)
{
  return 0;
}

/* One descriptor, the read end of a pipe nobody writes to: a poll on it waits out its time. */
int snd_seq_poll_descriptors_count(snd_seq_t* seq, short events)
{
  return 1;
}

int snd_seq_poll_descriptors(snd_seq_t* seq, struct pollfd* pfds, unsigned int space, short events)
{
  if (space < 1)
    return 0;
  pfds[0].fd = sPipe[0];
  pfds[0].events = events;
  pfds[0].revents = 0;
  return 1;
}
