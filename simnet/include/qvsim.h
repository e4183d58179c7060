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
 * simnet/README.md for the format). Clears the journal, every injection and
 * the fault count, resets the clock to 0; handles callers hold stay valid.
 * Returns 0, or minus the number of the first line that could not be read
 * (the network is then left as it was). */
int32_t QVSIM_API SimLoadNetwork(const char *description);

/* Loads the built-in default network: domains of each kind, several servers,
 * printers with comments, locations and drivers, jobs of other users in
 * several states. */
int32_t QVSIM_API SimLoadDefaultNetwork(void);

/* The default network's description text (static storage). */
const char *QVSIM_API SimDefaultNetworkText(void);

/* Domain kinds NS_ListSupportedEnv answers, until the next load. count 0:
 * an empty list; count -1: a null answer. */
void QVSIM_API SimSetSupportedKinds(const int32_t *kinds, int32_t count);

/* What NS_LocatePGR answers: the host name (null: left null) and the status. */
void QVSIM_API SimSetPgrHost(const char *hostName, int32_t status);

/* The user the servers take the caller for: the owner of the jobs it submits,
 * and what a filter on owner 134 with an empty distinguished name selects. */
void QVSIM_API SimSetCallerName(const char *userName);

/* ---- Simulated time --------------------------------------------------- */

/* The servers' clock in milliseconds; jobs move through their states as it
 * advances (simnet/README.md). Nothing moves unless a test moves it. */
void QVSIM_API SimSetClock(uint32_t milliseconds);
void QVSIM_API SimAdvanceClock(uint32_t milliseconds);
uint32_t QVSIM_API SimClock(void);

/* ---- Failure injection ------------------------------------------------ */

/* The nth call (1 = the next one) of the named exported function, counted
 * from now, returns status instead of doing its work (out-parameters are
 * left untouched; STF_CreateList answers 0, NS_ListSupportedEnv null).
 * Several injections may wait at once; each fires once. */
void QVSIM_API SimInjectStatus(const char *functionName, int32_t nth, int32_t status);
void QVSIM_API SimClearInjections(void);

/* ---- Journal ---------------------------------------------------------- */

/* The journal as text, one line per call or submitted request (format in
 * simnet/README.md). Copies at most size bytes including the terminator and
 * returns the size needed including the terminator. */
int32_t QVSIM_API SimJournalText(char *buffer, int32_t size);
void QVSIM_API SimJournalClear(void);

/* on 0: calls are no longer journaled (submitted requests, injected calls and
 * faults still are); for benchmarks. SimReset turns them on again. */
void QVSIM_API SimJournalCalls(int32_t on);

/* ---- Print servers ---------------------------------------------------- */

/* The state identifier (249 to 260) of the job whose identifier is given
 * (exactly, or by its leading decimal number when only digits are given);
 * -30 when there is no such job. */
int32_t QVSIM_API SimJobState(const char *jobIdentifier);

/* The bytes a job's document (1-based) received: copies at most size bytes of
 * those the server kept (the first 65536 of each document) into buffer,
 * stores the count of all bytes pushed in *totalBytes (may be null), and
 * returns the count of kept bytes; -30 when there is no such document. */
int32_t QVSIM_API SimDocumentData(const char *jobIdentifier, int32_t document, char *buffer, int32_t size,
                                  uint32_t *totalBytes);

/* ---- Ownership accounting --------------------------------------------- */

/* Live objects of one kind ("string", "object", "list", "domain", "request",
 * "value", "filter", "text"), or of every kind but "text" when kind is null
 * (texts released with the C run-time free cannot be seen); -1 for an
 * unknown kind. */
int32_t QVSIM_API SimLiveObjects(const char *kind);

/* Faults seen since the last load or reset: double frees, frees and uses of
 * handles that were never given out, values left live in a request that is
 * closed. The word 0 given as a handle fails without a fault. */
int32_t QVSIM_API SimOwnershipFaults(void);

/* A readable list of live objects and faults (same copy rules as the journal). */
int32_t QVSIM_API SimLeakReport(char *buffer, int32_t size);

/* Back to an empty state: no network (no domains, NS_ListSupportedEnv null,
 * no pgr host, no event port), no live objects (their handles become
 * unknown), no faults, no injections, an empty journal with calls on. */
void QVSIM_API SimReset(void);

#ifdef __cplusplus
}
#endif

#endif
