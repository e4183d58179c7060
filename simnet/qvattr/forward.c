/* qvattr.dll holds no code of its own: its exports (qvattr.def) forward to
 * qvsimnet.dll, which serves them over the simulated network. */
int qvattr_forwarder_table_only;
