# The time to a depth on four middlegames, each in a fresh engine started as
# interfaces start one (uci, Threads, isready), with go DELAY seconds after
# readyok: whether a search right after readyok runs at full speed.
# usage: python3 tools/ready.py ENGINE THREADS DELAY [DEPTH]
import subprocess, sys, time
eng=sys.argv[1]; threads=int(sys.argv[2]); delay=float(sys.argv[3]); depth=int(sys.argv[4]) if len(sys.argv)>4 else 13
fens=["r1bq1rk1/pp2bppp/2n1pn2/2pp4/3P4/2PBPN2/PP1N1PPP/R1BQK2R w KQ - 0 8",
"r2q1rk1/1b2bppp/p2ppn2/1p6/3NP3/1BN1B3/PPP2PPP/R2Q1RK1 w - - 0 11",
"r1bqr1k1/pp3pbp/2pp1np1/4n3/2P1P3/2N1BP2/PP1QN1PP/R3KB1R w KQ - 0 11",
"2rq1rk1/pb1nbppp/1p2pn2/2pp4/2PP4/1PN1PN2/PB2BPPP/2RQ1RK1 w - - 0 11"]
tot=0; rdy=[]
for f in fens:
    p=subprocess.Popen([eng],stdin=subprocess.PIPE,stdout=subprocess.PIPE,text=True,bufsize=1)
    t0=time.time()
    p.stdin.write("uci\n"); p.stdin.flush()
    while "uciok" not in p.stdout.readline(): pass
    t1=time.time()
    p.stdin.write(f"setoption name Threads value {threads}\nisready\n"); p.stdin.flush()
    while "readyok" not in p.stdout.readline(): pass
    rdy.append(time.time()-t1)
    time.sleep(delay)
    p.stdin.write(f"position fen {f}\ngo depth {depth}\n"); p.stdin.flush(); tg=time.time()
    while True:
        l=p.stdout.readline()
        if l.startswith("bestmove"): break
    ms=(time.time()-tg)*1000; tot+=ms
    p.stdin.write("quit\n"); p.stdin.flush(); p.wait()
print(f"threads {threads} delay {delay}: total {tot:.0f} ms; readyok after uci {max(rdy):.2f}s max")
