/*
 * Simulated networks of the tests (format: simnet/README.md).
 */
#ifndef NETPROV_NETWORKS_H
#define NETPROV_NETWORKS_H

// Default-kind domains sales (printers on srv1, srv2, srv1), empty, and mixed
// (server names differing only in case, a printer whose name holds "%s");
// NIS domain eng; a DCE domain that the provider does not browse.
const char kTestNetwork[] = "kinds 0 1 2\n"
                            "domain 2 sales\n"
                            "server srv1\n"
                            "server srv2\n"
                            "printer lp1 srv1\n"
                            "printer lp2 srv2\n"
                            "printer lp3 srv1\n"
                            "domain 2 empty\n"
                            "domain 2 mixed\n"
                            "printer p1 Srv1\n"
                            "printer p2 srv1\n"
                            "printer 50%s srv1\n"
                            "domain 0 eng\n"
                            "printer lp2 srv1\n"
                            "printer lp5 srv3\n"
                            "printer lp6 srv1\n"
                            "domain 1 dce1\n"
                            "printer x srv9\n";

#endif
