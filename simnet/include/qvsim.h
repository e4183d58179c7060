/*
 * Control interface of the simulated Quorvane network.
 *
 * qvcore, qvdpa and qvattr are the client libraries the Quorvane client is
 * built against. In this tree they run over a simulated network (a name
 * service and print servers) held by qvsimnet.dll. This header is that
 * simulator's own control interface, used by tests, benchmarks and the demo
 * program; the client code never calls it.
 *
 * Every call here is cdecl and exported by plain name from qvsimnet.dll.
 */
#ifndef QVSIM_H
#define QVSIM_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define QVSIM_API __cdecl

/* ---- Network ---------------------------------------------------------- */

/* Replaces the whole simulated network by the one the text describes (see
 * simnet/README.md for the format). Clears the journal and every injection,
 * resets the clock to 0. Returns 0, or a negative number naming the first
 * line that could not be read. */
int32_t QVSIM_API SimLoadNetwork(const char *description);

/* Loads the built-in default network: domains of each kind, several servers,
 * printers with comments, locations and drivers, jobs of other users in
 * several states. */
int32_t QVSIM_API SimLoadDefaultNetwork(void);

/* The default network's description text (static storage). */
const char *QVSIM_API SimDefaultNetworkText(void);

/* Domain kinds NS_ListSupportedEnv answers. count -1 makes it answer null. */
void QVSIM_API SimSetSupportedKinds(const int32_t *kinds, int32_t count);

/* What NS_LocatePGR answers: the host name (null: left null) and the status. */
void QVSIM_API SimSetPgrHost(const char *hostName, int32_t status);

/* ---- Simulated time --------------------------------------------------- */

void     QVSIM_API SimSetClock(uint32_t milliseconds);
void     QVSIM_API SimAdvanceClock(uint32_t milliseconds);
uint32_t QVSIM_API SimClock(void);

/* ---- Failure injection ------------------------------------------------ */

/* The nth call (1 = the next one) of the named exported function, counted
 * from now, returns status instead of doing its work. */
void QVSIM_API SimInjectStatus(const char *functionName, int32_t nth, int32_t status);
void QVSIM_API SimClearInjections(void);

/* ---- Journal ---------------------------------------------------------- */

/* The journal as text, one line per call or submitted request (format in
 * simnet/README.md). Copies at most size bytes including the terminator and
 * returns the size needed including the terminator. */
int32_t QVSIM_API SimJournalText(char *buffer, int32_t size);
void    QVSIM_API SimJournalClear(void);

/* ---- Ownership accounting --------------------------------------------- */

/* Live objects of one kind ("string", "object", "list", "domain", "request",
 * "value", "filter", "text"), or of every kind when kind is null. */
int32_t QVSIM_API SimLiveObjects(const char *kind);

/* Faults seen since the last load or reset: double frees, frees and uses of
 * handles that were never given out. */
int32_t QVSIM_API SimOwnershipFaults(void);

/* A readable list of live objects and faults (same copy rules as the journal). */
int32_t QVSIM_API SimLeakReport(char *buffer, int32_t size);

/* Back to an empty state: no network, no live objects, no faults, empty journal. */
void QVSIM_API SimReset(void);

#ifdef __cplusplus
}
#endif

#endif
