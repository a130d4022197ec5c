"""A one-node Slurm cluster on this machine for the tests: munged with its
own key and socket, slurmctld and slurmd on localhost, every file in one
temporary folder. Needs root (slurmd starts jobs as their user) and the
Debian packages slurm-wlm and munge."""

from __future__ import annotations

import os
import shutil
import signal
import socket
import subprocess
import time
from pathlib import Path


class ClusterUnavailable(RuntimeError):
    """Why a cluster could not be started (the test skips with it)."""


def _free_port() -> int:
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def _wait(condition, seconds: float, what: str, log: Path | None = None) -> None:
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if condition():
            return
        time.sleep(0.3)
    tail = ""
    if log is not None and log.exists():
        tail = ": " + " | ".join(log.read_text(errors="replace").splitlines()[-5:])
    raise ClusterUnavailable(f"{what} did not come up in {seconds:g} s{tail}")


class Cluster:
    def __init__(self, folder: Path):
        self.folder = folder
        self.env = dict(os.environ, SLURM_CONF=str(folder / "slurm.conf"))
        self.pids: list[Path] = []

    def start(self) -> None:
        if os.geteuid() != 0:
            raise ClusterUnavailable("a test cluster needs root (slurmd runs jobs as their owner)")
        for tool in ("munged", "slurmctld", "slurmd", "sbatch", "squeue"):
            if shutil.which(tool) is None and not Path("/usr/sbin", tool).exists():
                raise ClusterUnavailable(f"{tool} is not installed (Debian packages slurm-wlm and munge)")
        munge = self.folder / "munge"
        for sub in ("munge", "state", "spool", "log"):
            (self.folder / sub).mkdir(parents=True, exist_ok=True)
        # munged insists on a private key and a socket folder others can enter.
        munge.chmod(0o755)
        key = munge / "munge.key"
        key.write_bytes(os.urandom(1024))
        key.chmod(0o600)
        self.socket = munge / "socket"
        self._run(
            [
                "munged",
                "--force",
                f"--socket={self.socket}",
                f"--key-file={key}",
                f"--pid-file={munge / 'munged.pid'}",
                f"--log-file={munge / 'munged.log'}",
                f"--seed-file={munge / 'munged.seed'}",
            ],
            "munged",
        )
        self.pids.append(munge / "munged.pid")
        node = socket.gethostname().split(".")[0]
        conf = f"""ClusterName=batchtest
SlurmctldHost={node}(127.0.0.1)
SlurmctldPort={_free_port()}
SlurmdPort={_free_port()}
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket={self.socket}
StateSaveLocation={self.folder / 'state'}
SlurmdSpoolDir={self.folder / 'spool'}
SlurmctldPidFile={self.folder / 'slurmctld.pid'}
SlurmdPidFile={self.folder / 'slurmd.pid'}
SlurmctldLogFile={self.folder / 'log' / 'slurmctld.log'}
SlurmdLogFile={self.folder / 'log' / 'slurmd.log'}
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/none
SchedulerType=sched/builtin
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
ReturnToService=2
MpiDefault=none
NodeName={node} NodeAddr=127.0.0.1 CPUs={os.cpu_count() or 1} RealMemory=1000 State=UNKNOWN
PartitionName=batchtest Nodes={node} Default=YES MaxTime=INFINITE State=UP
"""
        (self.folder / "slurm.conf").write_text(conf)
        # -i: ignore state of an earlier cluster; -c: start clean.
        self._run(["slurmctld", "-c", "-i"], "slurmctld", self.folder / "log" / "slurmctld.log")
        self.pids.append(self.folder / "slurmctld.pid")
        self._run(["slurmd"], "slurmd", self.folder / "log" / "slurmd.log")
        self.pids.append(self.folder / "slurmd.pid")
        _wait(self._node_idle, 60, "the Slurm node", self.folder / "log" / "slurmd.log")

    def _run(self, command: list[str], what: str, log: Path | None = None) -> None:
        result = subprocess.run(command, env=self.env, capture_output=True, text=True)
        if result.returncode != 0:
            detail = (result.stderr or result.stdout).strip().splitlines()
            raise ClusterUnavailable(f"{what} did not start: {' | '.join(detail[-3:])}")

    def _node_idle(self) -> bool:
        result = subprocess.run(["sinfo", "-h", "-o", "%t"], env=self.env, capture_output=True, text=True)
        return result.returncode == 0 and result.stdout.strip() in ("idle", "mix", "alloc")

    def stop(self) -> None:
        # Daemons in the reverse order of their start; each by its own pid.
        for pid_file in reversed(self.pids):
            try:
                pid = int(pid_file.read_text().split()[0])
            except (OSError, ValueError, IndexError):
                continue
            try:
                os.kill(pid, signal.SIGTERM)
            except ProcessLookupError:
                continue
            deadline = time.monotonic() + 15
            while time.monotonic() < deadline:
                try:
                    os.kill(pid, 0)
                except ProcessLookupError:
                    break
                time.sleep(0.2)
            else:
                try:
                    os.kill(pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
