# Writes a fixed-width text file of 1,000,000 access records, as the text
# export would, for bench/manager-memory.sh: python3 bench/plant-text.py /tmp/plant.txt
import random, datetime, sys
random.seed(7)
W=[3,5,8,21,9,9,9,9,6,6,13,11,9]
T=["PN","ID","Visitor","Name","WS","Shoe_L","Shoe_R","Shoe_L+R","Pass","Relay","Recognition","Date","Time"]
first=["Anna","Bruno","Carla","Dieter","Elena","Franz","Greta","Hugo","Ines","Jonas","Klara","Lukas","Maja","Nils","Olga","Paul","Rosa","Sven","Tina","Udo","Vera","Walter","Xenia","Yves","Zora"]
last=["Meier","Huber","Schmid","Keller","Weber","Fischer","Baumann","Frei","Zimmermann","Brunner","Gerber","Moser","Steiner","Graf","Roth","Suter","Wyss","Bucher","Kunz","Marti","Frey","Berger","Hofmann","Lehmann","Koch","Ott","Vogel","Hess","Sutter","Bolliger","Egli","Stucki","Widmer","Rey","Blaser","Schaer","Aebi","Luethi","Iseli","Zaugg"]
def line(cells): return "".join(c.rjust(w)[:w] if len(c)<=w else c[:w] for c,w in zip(cells,W))+"\r\n"
start=datetime.datetime(2022,1,3,6,0,0)
with open(sys.argv[1],"w",newline="") as f:
    f.write(line(T))
    t=start
    for i in range(1000000):
        t+=datetime.timedelta(seconds=random.randint(20,90))
        u=random.randint(0,999)
        vis=random.random()<0.05
        name=first[u%25]+" "+last[u//25]
        if vis: name=("Visitor ("+name)[:21]
        ws=str(random.randint(600,1800)); l=str(random.randint(300,9000)); r=str(random.randint(300,9000))
        lr="" 
        if random.random()<0.2: l=r=""; lr=str(random.randint(600,18000))
        p="Y" if random.random()<0.9 else "N"
        f.write(line([str(1+i//10000), str(u), "Y" if vis else "N", name, ws,l,r,lr,p,p,"Keyboard" if random.random()<0.3 else "Fingerprint", t.strftime("%Y-%m-%d"), t.strftime("%H:%M:%S")]))
