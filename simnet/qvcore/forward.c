/* qvcore.dll holds no code of its own: its exports (qvcore.def) forward to
 * qvsimnet.dll, which serves them over the simulated network. */
int qvcore_forwarder_table_only;
