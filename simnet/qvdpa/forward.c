/* qvdpa.dll holds no code of its own: its exports (qvdpa.def) forward to
 * qvsimnet.dll, which serves them over the simulated network. */
int qvdpa_forwarder_table_only;
